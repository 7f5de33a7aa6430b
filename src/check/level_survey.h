#pragma once
// What a level offers a player, counted for the long proof of the room library and for tests:
// the suit, the node graph's verdict, autosaves, cubemaps and ammunition the level gives for a
// weapon it never gives.
#include <string>
#include <string_view>
#include <vector>

#include "check/level_check.h"
#include "check/vmf_reader.h"

namespace tessellon {

// The weapon class that fires what an ammunition item of class `lowerClass` (lower case) gives:
// "" when no weapon the player carries in Half-Life 2 does, nullptr when the class is no
// ammunition. The classes and their ammunition types are those of Valve's Source SDK 2013,
// game/server/hl2/item_ammo.cpp; the weapons firing each type those of the weapon scripts
// (game/mod_hl2mp/scripts/weapon_*.txt, primary_ammo and secondary_ammo).
const char* WeaponForAmmo(std::string_view lowerClass);

struct LevelSurvey {
    bool suit = false;  // an item_suit
    int nodes = 0;      // ground nodes
    // The node graph's verdict (see NodeGraphReport): not judged without nodes, a player start
    // or a trigger that ends the level.
    bool graphJudged = false;
    bool startToEnd = false;
    int unreachableCharacters = 0;
    int autosaves = 0;  // trigger_autosave
    int cubemaps = 0;   // env_cubemap
    // Ammunition items, by class, for a weapon no weapon_ entity or game_player_equip of the
    // level gives (weapons characters carry are not counted: they need not drop them).
    std::vector<std::string> ammoWithoutWeapon;
};

// Counts the document's entities; the node graph's verdict comes from its check report.
LevelSurvey SurveyLevel(const VmfDocument& doc, const CheckReport& report);

// One line: "suit yes, nodes 412, start to end joined, unreachable characters 0, autosaves 3,
// cubemaps 12, ammunition without its weapon 0", the ammunition's classes after it when any.
std::string FormatSurvey(const LevelSurvey& survey);

}  // namespace tessellon
