#pragma once
// The room library v3: rooms at a person's scale in one part of City 17.
#include <vector>

#include "roomgen/plans.h"

namespace roomgen {

// Every room of the library, each family's rooms in turn.
std::vector<Def> LibraryV3();

namespace v3 {
// The families' rooms, by kind of place.
void AddOneWayRooms(std::vector<Def>& d);
void AddIndoorRooms(std::vector<Def>& d);
void AddOutdoorRooms(std::vector<Def>& d);
void AddStartAndEndRooms(std::vector<Def>& d);
}  // namespace v3

}  // namespace roomgen
