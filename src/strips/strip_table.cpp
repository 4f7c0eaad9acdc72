#include "strips/strip_table.h"

namespace {

// clang-format off
constexpr std::array<StripNames, 12> kNames{{
    {"cha0", "Label5", "Panel9", "MaskEdit1", "MaskEdit2", "curs11", "curs21", "curs12", "curs22",
     "pcursl1", "pcursr1", "level11", "levc11", "level02", "levc12", "lr1", "mut1", "", "co1", "co2",
     "SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton5", "vul1", "vur1",
     "editc1", "editc12", "getc1"},
    {"cha2", "Label12", "Panel12", "MaskEdit8", "MaskEdit7", "curs112", "curs211", "curs122", "curs222",
     "pcursl2", "pcursr2", "level12", "levc21", "level22", "levc22", "lr2", "mut2", "sol2", "co12", "co22",
     "SpeedButton1", "SpeedButton6", "SpeedButton7", "SpeedButton8", "vul2", "vur2",
     "editc2", "editc22", "getc2"},
    {"cha3", "Label15", "Panel195", "MaskEdit36", "MaskEdit35", "curs113", "curs213", "curs123", "curs223",
     "Panel177", "Panel175", "level13", "levc31", "level23", "levc32", "lr3", "mut3", "sol3", "co13", "co23",
     "SpeedButton53", "SpeedButton54", "SpeedButton55", "SpeedButton56", "vul3", "vur3",
     "editc3", "editc23", "getc3"},
    {"cha4", "Label16", "Panel199", "MaskEdit12", "MaskEdit11", "curs114", "curs214", "curs124", "curs224",
     "Panel43", "Panel40", "level14", "levc41", "level24", "levc42", "lr4", "mut4", "sol4", "co14", "co24",
     "SpeedButton10", "SpeedButton11", "SpeedButton12", "SpeedButton13", "vul4", "vur4",
     "editc4", "editc24", "getc4"},
    {"cha5", "Label17", "Panel203", "MaskEdit14", "MaskEdit13", "curs115", "curs215", "curs125", "curs225",
     "Panel55", "Panel53", "level15", "levc51", "level25", "levc52", "lr5", "mut5", "sol5", "co15", "co25",
     "SpeedButton14", "SpeedButton15", "SpeedButton16", "SpeedButton17", "vul5", "vur5",
     "editc5", "editc25", "getc5"},
    {"cha6", "Label18", "Panel207", "MaskEdit18", "MaskEdit17", "curs116", "curs216", "curs126", "curs226",
     "Panel67", "Panel65", "level16", "levc61", "level26", "levc62", "lr6", "mut6", "sol6", "co16", "co26",
     "SpeedButton18", "SpeedButton19", "SpeedButton20", "SpeedButton21", "vul6", "vur6",
     "editc6", "editc26", "getc6"},
    {"cha7", "Label19", "Panel211", "MaskEdit20", "MaskEdit19", "curs117", "curs217", "curs127", "curs227",
     "Panel87", "Panel82", "level17", "levc71", "level27", "levc72", "lr7", "mut7", "sol7", "co17", "co27",
     "SpeedButton22", "SpeedButton23", "SpeedButton24", "SpeedButton25", "vul7", "vur7",
     "editc7", "editc27", "getc7"},
    {"cha8", "label20", "Panel215", "MaskEdit22", "MaskEdit21", "curs118", "curs218", "curs128", "curs228",
     "Panel111", "Panel106", "level18", "levc81", "level28", "levc82", "lr8", "mut8", "sol8", "co18", "co28",
     "SpeedButton26", "SpeedButton27", "SpeedButton28", "SpeedButton29", "vul8", "vur8",
     "editc8", "editc28", "getc8"},
    {"cha9", "Label21", "Panel219", "MaskEdit24", "MaskEdit23", "curs119", "curs219", "curs129", "curs229",
     "Panel122", "Panel120", "level19", "levc91", "level29", "levc92", "lr9", "mut9", "sol9", "co19", "co29",
     "SpeedButton30", "SpeedButton31", "SpeedButton32", "SpeedButton33", "vul9", "vur9",
     "editc9", "editc29", "getc9"},
    {"cha10", "label22", "Panel223", "MaskEdit26", "MaskEdit25", "curs1110", "curs2110", "curs1210", "curs2210",
     "Panel132", "Panel130", "level110", "levc101", "level210", "levc102", "lr10", "mut10", "sol10", "co100", "co200",
     "SpeedButton34", "SpeedButton35", "SpeedButton36", "SpeedButton37", "vul10", "vur10",
     "editc10", "editc210", "getc10"},
    {"cha11", "Label2", "Panel27", "MaskEdit6", "MaskEdit5", "curs1120", "curs2120", "curs1220", "curs2220",
     "Panel15", "Panel11", "level120", "levc111", "level220", "levc112", "lr11", "mut11", "sol11", "co110", "co112",
     "SpeedButton9", "SpeedButton38", "SpeedButton39", "SpeedButton40", "vul11", "vur11",
     "editc11", "editc211", "getc11"},
    {"cha12", "Label4", "Panel47", "MaskEdit10", "MaskEdit9", "curs1211", "curs1221", "curs1212", "curs1222",
     "Panel29", "Panel25", "level121", "levc121", "level122", "levc122", "lr12", "mut12", "sol12", "co120", "co122",
     "SpeedButton41", "SpeedButton42", "SpeedButton43", "SpeedButton44", "Image14", "Image16",
     "editc120", "editc212", "getc12"},
}};

// The recording window has no solo buttons.
constexpr std::array<StripNames, 10> kRecNames = [] {
    std::array<StripNames, 10> r{};
    for (std::size_t i = 0; i < r.size(); ++i) {
        r[i] = kNames[i];
        r[i].solo = "";
    }
    return r;
}();

constexpr std::array<StripRow, 12> kPlay{{
    {&kNames[0], StripKind::PlayMaster, -1, "BWCCCheckBox1", "", "pcurall1"},
    {&kNames[1], StripKind::PlaySource, 0, "BWCCCheckBox2", "", "pcurall2"},
    {&kNames[2], StripKind::PlaySource, 1, "BWCCCheckBox3", "", "pcurall3"},
    {&kNames[3], StripKind::PlaySource, 2, "BWCCCheckBox4", "", "pcurall4"},
    {&kNames[4], StripKind::PlaySource, 3, "BWCCCheckBox5", "", "pcurall5"},
    {&kNames[5], StripKind::PlaySource, 4, "BWCCCheckBox6", "", "pcurall6"},
    {&kNames[6], StripKind::PlaySource, 5, "BWCCCheckBox7", "", "pcurall7"},
    {&kNames[7], StripKind::PlaySource, 6, "BWCCCheckBox8", "", "pcurall8"},
    {&kNames[8], StripKind::PlaySource, 7, "BWCCCheckBox9", "", "pcurall9"},
    {&kNames[9], StripKind::PlaySource, 8, "BWCCCheckBox10", "", "pcurall10"},
    {&kNames[10], StripKind::PlaySource, 9, "BWCCCheckBox11", "", "pcurall11"},
    {&kNames[11], StripKind::PlaySource, 10, "BWCCCheckBox22", "", "pcurall12"},
}};

constexpr std::array<StripRow, 10> kRec{{
    {&kRecNames[0], StripKind::Rec, -1, "BWCCCheckBox12", "Image32", "pcurall1"},
    {&kRecNames[1], StripKind::Rec, 0, "BWCCCheckBox13", "Image15", "pcurall2"},
    {&kRecNames[2], StripKind::Rec, 1, "BWCCCheckBox14", "Image233", "pcurall3"},
    {&kRecNames[3], StripKind::Rec, 2, "BWCCCheckBox15", "Image59", "pcurall4"},
    {&kRecNames[4], StripKind::Rec, 3, "BWCCCheckBox16", "Image73", "pcurall5"},
    {&kRecNames[5], StripKind::Rec, 4, "BWCCCheckBox17", "Image86", "pcurall6"},
    {&kRecNames[6], StripKind::Rec, 5, "BWCCCheckBox18", "Image99", "pcurall7"},
    {&kRecNames[7], StripKind::Rec, 6, "BWCCCheckBox19", "Image112", "pcurall8"},
    {&kRecNames[8], StripKind::Rec, 7, "BWCCCheckBox20", "Image125", "pcurall9"},
    {&kRecNames[9], StripKind::Rec, 8, "BWCCCheckBox21", "Image140", "pcurall10"},
}};
// clang-format on

}  // namespace

std::span<const StripRow> playStripTable() { return kPlay; }
std::span<const StripRow> recStripTable() { return kRec; }
