#include "entities/placeholders.h"

#include <string_view>
#include <vector>

#include "session/report.h"
#include "session/session.h"
#include "entities/entity_output.h"
#include "entities/weight_tables.h"
#include "session/text_helpers.h"

namespace tessellon {

namespace {

constexpr int kFieldClass = 1;
constexpr int kFieldAngles = 2;
constexpr int kFieldOrigin = 3;
constexpr int kFieldSpawnWhat = 5;
constexpr int kFieldFirstShare = 6;  // shares1..shares6 are 6..11
constexpr int kFieldNoSpawnShare = 12;
constexpr int kFieldFirstControlled = 14;  // controll1..controll6 are 14..19
constexpr int kMaxCharacterCandidates = 100;

using PlaceholderRecord = std::array<std::string, 20>;

// One draw from the random source, re-seeded first as every choice of a build is.
float DrawOne(Session& s) {
    Randa(s);
    return s.random.Draw();
}

// 0-based pick of 1..n from a draw in [0, 1).
int PickOf(float r, int n) {
    const int pick = static_cast<int>(static_cast<double>(r) * n + 1);
    return (pick > n ? n : pick) - 1;
}

class Resolver {
public:
    Resolver(Session& s, float roomPos, const std::string& npcLimit) : s_(s), roomPos_(roomPos), npcLimit_(npcLimit) {}

    void Resolve(const PlaceholderRecord& rec) {
        const std::string& cls = rec[kFieldClass];
        if (cls == "vornic_spawn_contoller") SpawnController(rec);
        else if (cls == "info_player_start") LightAndSun(rec);
        else if (cls == "vornic_weapon" || cls == "vornic_item") WeaponOrItem(rec);
        else if (cls == "vornic_npc") Character(rec);
    }

private:
    const WeightTables& Tables() { return WeightTablesForBuild(s_); }

    // Appends one entity after the room's last line and moves the free index past it.
    void Append(const std::string& cls, const PlaceholderRecord& rec,
                const std::vector<std::pair<std::string, std::string>>& keys = {}) {
        if (cls.empty()) return;  // never an entity without a class
        std::vector<std::string> lines = {
            "entity",         "{", "id", "Insert ID Here", "classname", cls, "angles", rec[kFieldAngles], "origin",
            rec[kFieldOrigin]};
        for (const auto& [key, value] : keys) {
            lines.push_back(key);
            lines.push_back(value);
        }
        lines.push_back("}");
        AppendLines(lines);
    }

    void AppendLines(const std::vector<std::string>& lines) {
        TextTable& room = s_.RoomLines;
        std::size_t at = static_cast<std::size_t>(room.Head());
        for (const auto& line : lines) room.At(at++) = line;
        room.SetHead(static_cast<long>(at));
        // The free element must not hold a stale key of an earlier, longer room.
        if (at < room.StoredSize()) room.At(at).clear();
    }

    void SpawnController(const PlaceholderRecord& rec) {
        ShareList_Clear(s_);
        int offered = 0;
        for (int n = 0; n < 6; ++n) {
            const std::string& group = rec[kFieldFirstControlled + n];
            if (group.empty()) continue;
            ShareList_Add(s_, group, rec[kFieldFirstShare + n]);
            ++offered;
        }
        if (offered == 0) return;
        ShareList_Add(s_, "", rec[kFieldNoSpawnShare]);
        const std::string chosen = ShareList_Get(s_);
        if (!chosen.empty()) Print_Entity_To_World(s_, chosen);
    }

    void WeaponOrItem(const PlaceholderRecord& rec) {
        const std::string mode = rec[kFieldSpawnWhat].empty() ? "0" : rec[kFieldSpawnWhat];
        if (mode == "0") ItemDraw(rec, false);
        else if (mode == "1") Weapon(rec);
        else if (mode == "2") Ammunition(rec, false);
        else if (mode == "3") Ammunition(rec, true);
        else if (mode == "4") ItemDraw(rec, true);
    }

    void ItemDraw(const PlaceholderRecord& rec, bool itemsOnly) {
        const WeightTables& t = Tables();
        if (t.items.size() < 3)
            MapError(s_, "No valid items to place on map! Check for itemdata.ini corruption!", false);
        ShareList_Clear(s_);
        for (const ItemRow& row : t.items) {
            if (row.name.empty() || row.share.empty()) continue;
            if (itemsOnly && (row.name == "weapon" || row.name == "ammo")) continue;
            ShareList_Add(s_, row.name, HailAmerican(s_, row.share));
        }
        const std::string name = ShareList_Get(s_);
        if (name == "weapon") Weapon(rec);
        else if (name == "ammo") Ammunition(rec, false);
        else Append(name, rec);
    }

    // Ammunition for a weapon the player holds (or any weapon); when the player holds none
    // that takes ammunition, for any weapon that does.
    void Ammunition(const PlaceholderRecord& rec, bool anyWeapon) {
        const WeightTables& t = Tables();
        std::vector<int> candidates;
        for (std::size_t i = 0; i < t.guns.size(); ++i)
            if (!t.guns[i].ammoClass.empty() && (anyWeapon || s_.OwnedWeapons[i + 1]))
                candidates.push_back(static_cast<int>(i));
        Randa(s_);
        if (candidates.empty()) {
            for (std::size_t i = 0; i < t.guns.size(); ++i)
                if (!t.guns[i].ammoClass.empty()) candidates.push_back(static_cast<int>(i));
            Randa(s_);
        }
        if (candidates.empty()) {
            Log(s_, "gundata.ini names no ammunition class for any weapon.", false, true);
            MapError(s_, "No Valid Ammunition!", false, "");
        }
        const float r = s_.random.Draw();
        const GunRow& gun = t.guns[candidates[PickOf(r, static_cast<int>(candidates.size()))]];
        Append(gun.ammoClass, rec);
    }

    // The first weapon of the table the player has not been given and has come within reach
    // of; otherwise one already given (or, before any, any weapon).
    void Weapon(const PlaceholderRecord& rec) {
        const WeightTables& t = Tables();
        if (t.guns.empty())
            MapError(s_, "No weapons in weapons library!", true,
                     "No weapons found in the weapons library while creating rand_weapon entity!");
        const double pace = (s_.settings.NewWeapons - 5) / 10.0 + 1;
        for (std::size_t i = 0; i < t.guns.size(); ++i) {
            if (s_.OwnedWeapons[i + 1]) continue;
            if (static_cast<double>(roomPos_) > t.guns[i].threshold / 100 * pace) {
                s_.OwnedWeapons[i + 1] = true;
                Append(t.guns[i].weaponClass, rec);
                return;
            }
        }
        const float r = DrawOne(s_);
        std::vector<int> owned;
        for (std::size_t i = 0; i < t.guns.size(); ++i)
            if (s_.OwnedWeapons[i + 1]) owned.push_back(static_cast<int>(i));
        const int row = owned.empty() ? PickOf(r, static_cast<int>(t.guns.size()))
                                      : owned[PickOf(r, static_cast<int>(owned.size()))];
        Append(t.guns[row].weaponClass, rec);
    }

    void Character(const PlaceholderRecord& rec) {
        if (s_.settings.NoMonsters) return;
        const WeightTables& t = Tables();
        const double enemy = (s_.settings.EnemyDifficulty - 5) / 5.0 + 1;
        std::vector<const NpcRow*> candidates;
        for (const NpcRow& row : t.npcs) {
            if (row.threshold * enemy > static_cast<double>(roomPos_)) continue;
            if (!npcLimit_.empty() && row.faction != npcLimit_) continue;
            candidates.push_back(&row);
            if (candidates.size() == kMaxCharacterCandidates) break;
        }
        if (candidates.empty()) return;
        const NpcRow& row = *candidates[PickOf(DrawOne(s_), static_cast<int>(candidates.size()))];
        std::vector<std::pair<std::string, std::string>> keys;
        for (const NpcExtraKey& key : row.keys) {
            const auto words = SSplit(key.alternatives);
            keys.emplace_back(key.name, words[PickOf(DrawOne(s_), key.count)]);
        }
        Append(row.className, rec, keys);
    }

    // The level's light and sun stand at every player start. By night, or when the level is
    // to be built without lights, they give only moonlight from a fixed direction.
    void LightAndSun(const PlaceholderRecord& rec) {
        std::string angles, color, size;
        if (s_.settings.SkipLights || s_.SunElevation < 0) {
            angles = "-55 194 0";
            const std::string l = FormatNumber(static_cast<double>(s_.MoonLight) * 100);
            color = l + " " + l + " " + l;
            size = "8";
        } else {
            angles =
                FormatNumber(-RoundHalfEven(s_.SunElevation)) + " " + FormatNumber(RoundHalfEven(s_.SunYaw)) + " 0";
            color = DaylightColor(s_.SunElevation);
            size = "16";
        }
        const std::string& origin = rec[kFieldOrigin];
        AppendLines({"entity", "{", "id", "Insert ID Here", "classname", "light_environment", "angles", angles,
                     "_light", color + " 200", "_ambient", color + " 20", "origin", origin, "}"});
        AppendLines({"entity", "{", "id", "Insert ID Here", "classname", "env_sun", "angles", angles, "rendercolor",
                     color + " 200", "size", size, "origin", origin, "}"});
    }

    Session& s_;
    float roomPos_;
    std::string npcLimit_;
};

}  // namespace

int PlaceholderField(const std::string& key) {
    static constexpr std::string_view kKeys[] = {"classname", "angles",        "origin",     "chance",    "spawnwhat",
                                                 "shares1",   "shares2",       "shares3",    "shares4",   "shares5",
                                                 "shares6",   "nospawnshares", "targetname", "controll1", "controll2",
                                                 "controll3", "controll4",     "controll5",  "controll6"};
    for (int i = 0; i < 19; ++i)
        if (key == kKeys[i]) return i + 1;
    return 0;
}

std::string DaylightColor(float sunElevation) {
    // A low sun is red and dim; it whitens as it climbs, blue coming in last.
    const double h = sunElevation;
    const int red = h < 10 ? static_cast<int>(h * 191 / 10) + 64 : 255;
    const int green = h < 20 ? static_cast<int>(h * 191 / 20) + 64 : 255;
    const int blue = h < 10 ? 0 : h < 35 ? static_cast<int>(h * 255 / 35) : 255;
    return std::to_string(red) + " " + std::to_string(green) + " " + std::to_string(blue);
}

void SpawnRands(Session& s, float roomPrecentPos, const std::string& factionLetter) {
    Resolver resolver(s, roomPrecentPos, factionLetter);
    TextTable& room = s.RoomLines;
    // Lines appended while walking lie beyond the room's end; only the first of them is
    // reached, and an "entity" line there just starts an empty record.
    const int end = room.Head();
    int depth = -1;
    PlaceholderRecord rec;
    for (int i = 1; i <= end; ++i) {
        // Only read before anything is appended to the room in this pass through the loop.
        const std::string& line = room.Get(static_cast<std::size_t>(i));
        if (line == "entity") {
            depth = 0;
            rec.fill(std::string());
        } else if (line == "{") {
            if (depth >= 0) ++depth;
        } else if (line == "}") {
            if (depth >= 0) {
                --depth;
                if (depth == 0) {
                    depth = -1;
                    resolver.Resolve(rec);
                }
            }
        } else if (depth >= 0) {
            if (const int field = PlaceholderField(line)) {
                rec[field] = room.Get(static_cast<std::size_t>(i + 1));
                ++i;
            }
        }
    }
}

}  // namespace tessellon
