#include "check/level_survey.h"

#include <set>

#include "session/text_helpers.h"

namespace tessellon {

const char* WeaponForAmmo(std::string_view lowerClass) {
    // Class -> ammunition type (item_ammo.cpp) -> the weapon whose script names that type.
    static constexpr struct {
        std::string_view item;
        const char* weapon;
    } kAmmo[] = {
        {"item_ammo_pistol", "weapon_pistol"},
        {"item_box_srounds", "weapon_pistol"},  // Pistol
        {"item_ammo_pistol_large", "weapon_pistol"},
        {"item_large_box_srounds", "weapon_pistol"},
        {"item_ammo_smg1", "weapon_smg1"},
        {"item_box_mrounds", "weapon_smg1"},  // SMG1
        {"item_ammo_smg1_large", "weapon_smg1"},
        {"item_large_box_mrounds", "weapon_smg1"},
        {"item_ammo_smg1_grenade", "weapon_smg1"},
        {"item_ar2_grenade", "weapon_smg1"},  // SMG1_Grenade
        {"item_ammo_ar2", "weapon_ar2"},
        {"item_box_lrounds", "weapon_ar2"},  // AR2
        {"item_ammo_ar2_large", "weapon_ar2"},
        {"item_large_box_lrounds", "weapon_ar2"},
        {"item_ammo_ar2_altfire", "weapon_ar2"},  // AR2AltFire
        {"item_ammo_357", "weapon_357"},
        {"item_ammo_357_large", "weapon_357"},      // 357
        {"item_ammo_crossbow", "weapon_crossbow"},  // XBowBolt
        {"item_rpg_round", "weapon_rpg"},
        {"item_ml_grenade", "weapon_rpg"},        // RPG_Round
        {"item_box_buckshot", "weapon_shotgun"},  // Buckshot
        // FlareRound and SniperRound: no weapon of the player's fires them.
        {"item_flare_round", ""},
        {"item_box_flare_rounds", ""},
        {"item_box_sniper_rounds", ""},
    };
    for (const auto& a : kAmmo)
        if (a.item == lowerClass) return a.weapon;
    // Any other box of rounds is none the game knows, so nothing fires it either.
    if (lowerClass.substr(0, 10) == "item_ammo_" || lowerClass.substr(0, 9) == "item_box_") return "";
    return nullptr;
}

namespace {

// The top-level entities of a document, those an editor keeps hidden included.
template <class Visit>
void ForEachEntity(const std::pmr::vector<VmfBlock>& blocks, const Visit& visit) {
    for (const VmfBlock& b : blocks) {
        if (NamesEqual(b.name, "entity")) visit(b);
        else if (NamesEqual(b.name, "hidden")) ForEachEntity(b.children, visit);
    }
}

}  // namespace

LevelSurvey SurveyLevel(const VmfDocument& doc, const CheckReport& report) {
    LevelSurvey survey;
    std::set<std::string> weapons;
    std::vector<std::pair<std::string, const char*>> ammo;  // class, its weapon
    ForEachEntity(doc.blocks, [&](const VmfBlock& e) {
        const std::string cls = LowerCase(e.Get("classname"));
        if (cls == "item_suit") survey.suit = true;
        else if (cls == "trigger_autosave") ++survey.autosaves;
        else if (cls == "env_cubemap") ++survey.cubemaps;
        else if (cls.rfind("weapon_", 0) == 0) weapons.insert(cls);
        else if (cls == "game_player_equip") {
            // Its keys name what it hands the player: weapon_smg1 1, ...
            for (const VmfKeyValue& kv : e.keys)
                if (const std::string key = LowerCase(kv.key); key.rfind("weapon_", 0) == 0) weapons.insert(key);
        } else if (const char* weapon = WeaponForAmmo(cls)) {
            ammo.emplace_back(cls, weapon);
        }
    });
    for (const auto& [cls, weapon] : ammo)
        if (!*weapon || !weapons.count(weapon)) survey.ammoWithoutWeapon.push_back(cls);
    const NodeGraphReport& graph = report.nodeGraph;
    survey.nodes = graph.groundNodes;
    survey.graphJudged = graph.judged;
    survey.startToEnd = graph.startToEnd;
    survey.unreachableCharacters = graph.unreachableCharacters;
    return survey;
}

std::string FormatSurvey(const LevelSurvey& s) {
    std::string out = std::string("suit ") + (s.suit ? "yes" : "no") + ", nodes " + std::to_string(s.nodes) +
                      ", start to end " +
                      (!s.graphJudged ? "not judged"
                       : s.startToEnd ? "joined"
                                      : "cut") +
                      ", unreachable characters " + std::to_string(s.unreachableCharacters) + ", autosaves " +
                      std::to_string(s.autosaves) + ", cubemaps " + std::to_string(s.cubemaps) +
                      ", ammunition without its weapon " + std::to_string(s.ammoWithoutWeapon.size());
    for (std::size_t i = 0; i < s.ammoWithoutWeapon.size(); ++i) out += (i ? " " : " (") + s.ammoWithoutWeapon[i];
    return s.ammoWithoutWeapon.empty() ? out : out + ")";
}

}  // namespace tessellon
