#include "catalogo.h"

namespace vantora {

// clang-format off
const std::array<LinhaCatalogo, QTD_LINHAS_CATALOGO> LINHAS_CATALOGO = {{
    LinhaCatalogo{1, "Esc", "C001000127", nullptr, "ESC", 27},
    LinhaCatalogo{2, "F1", "C03B0001112", nullptr, "SOH", 1},
    LinhaCatalogo{3, "F2", "C03C0001113", nullptr, "STX", 2},
    LinhaCatalogo{4, "F3", "C03D0001114", nullptr, "ETX", 3},
    LinhaCatalogo{5, "F4", "C03E0001115", nullptr, "EOT", 4},
    LinhaCatalogo{6, "F5", "C03F0001116", nullptr, "ENQ", 5},
    LinhaCatalogo{7, "F6", "C0400001117", nullptr, "ACK", 6},
    LinhaCatalogo{8, "F7", "C0410001118", nullptr, "BELL", 7},
    LinhaCatalogo{9, "F8", "C0420001119", nullptr, "HTAB", 9},
    LinhaCatalogo{10, "F9", "C0430001120", nullptr, "FF", 12},
    LinhaCatalogo{11, "F10", "C0440001121", nullptr, "SO", 14},
    LinhaCatalogo{12, "F11", "C0570001122", nullptr, "SI", 15},
    LinhaCatalogo{13, "F12", "C0580001123", nullptr, "DLE", 16},
    LinhaCatalogo{14, "Print Screen", "C137000144", "C001000144", "DC1", 17},
    LinhaCatalogo{15, "Scroll Lock", "C0460001145", nullptr, "DC2", 18},
    LinhaCatalogo{16, "Pause", "C045000119", nullptr, "DC3", 19},
    LinhaCatalogo{17, "apostrophe/quote", "C0290001192", nullptr, "\"", 34},
    LinhaCatalogo{18, "1", "C002000149", nullptr, "!", 33},
    LinhaCatalogo{19, "2", "C003000150", nullptr, "@", 64},
    LinhaCatalogo{20, "3", "C004000151", nullptr, "#", 35},
    LinhaCatalogo{21, "4", "C005000152", nullptr, "$", 36},
    LinhaCatalogo{22, "5", "C006000153", nullptr, "%", 37},
    LinhaCatalogo{23, "6", "C007000154", nullptr, "¨", 168},
    LinhaCatalogo{24, "7", "C008000155", nullptr, "&", 38},
    LinhaCatalogo{25, "8", "C009000156", nullptr, "*", 42},
    LinhaCatalogo{26, "9", "C00A000157", nullptr, "(", 40},
    LinhaCatalogo{27, "0", "C00B000148", nullptr, ")", 41},
    LinhaCatalogo{28, "minus", "C00C0001189", nullptr, "_", 95},
    LinhaCatalogo{29, "equals", "C00D0001187", nullptr, "^", 94},
    LinhaCatalogo{30, "ABNT key 7D (left of Backspace)", "407D0001255", nullptr, "Back SP", 8},
    LinhaCatalogo{31, "Backspace", "1", "C00E00018", "Back SP", 8},
    LinhaCatalogo{32, "Insert", "C152000145", nullptr, "DC4", 20},
    LinhaCatalogo{33, "Home", "C147000136", nullptr, "NACK", 21},
    LinhaCatalogo{34, "Page Up", "C149000133", nullptr, "SYN", 22},
    LinhaCatalogo{35, "Num Lock", "C1450001144", nullptr, "ETB", 23},
    LinhaCatalogo{36, "numeric-pad /", "C1350001111", nullptr, "/", 47},
    LinhaCatalogo{37, "numeric-pad *", "C0370001106", nullptr, "X", 88},
    LinhaCatalogo{38, "numeric-pad -", "C04A0001109", nullptr, "-", 45},
    LinhaCatalogo{39, "Tab", "C00F00019", nullptr, "Tab", 11},
    LinhaCatalogo{40, "Q", "C010000181", nullptr, "Q", 81},
    LinhaCatalogo{41, "W", "C011000187", nullptr, "W", 87},
    LinhaCatalogo{42, "E", "C012000169", nullptr, "E", 69},
    LinhaCatalogo{43, "R", "C013000182", nullptr, "R", 82},
    LinhaCatalogo{44, "T", "C014000184", nullptr, "T", 84},
    LinhaCatalogo{45, "Y", "C015000189", nullptr, "Y", 89},
    LinhaCatalogo{46, "U", "C016000185", nullptr, "U", 85},
    LinhaCatalogo{47, "I", "C017000173", nullptr, "I", 73},
    LinhaCatalogo{48, "O", "C018000179", nullptr, "O", 79},
    LinhaCatalogo{49, "P", "C019000180", nullptr, "P", 80},
    LinhaCatalogo{50, "acute accent", "C01A0001219", nullptr, "´", 180},
    LinhaCatalogo{51, "[ key", "C01B0001221", nullptr, "[", 91},
    LinhaCatalogo{52, "Enter (upper half)", "C01C000113", nullptr, "CR", 13},
    LinhaCatalogo{53, "Delete", "C153000146", nullptr, "DEL", 127},
    LinhaCatalogo{54, "End", "C14F000135", nullptr, "CAN", 24},
    LinhaCatalogo{55, "Page Down", "C151000134", nullptr, "EN", 25},
    LinhaCatalogo{56, "numeric-pad 7 / Home", "C047000136", "C0470001103", "7", 55},
    LinhaCatalogo{57, "numeric-pad 8 / Up", "C048000138", "C0480001104", "8", 56},
    LinhaCatalogo{58, "numeric-pad 9 / Page Up", "C049000133", "C0490001105", "9", 57},
    LinhaCatalogo{59, "numeric-pad +", "C04E0001107", nullptr, "+", 43},
    LinhaCatalogo{60, "Caps Lock", "C03A000120", nullptr, "{", 123},
    LinhaCatalogo{61, "A", "C01E000165", nullptr, "A", 65},
    LinhaCatalogo{62, "S", "C01F000183", nullptr, "S", 83},
    LinhaCatalogo{63, "D", "C020000168", nullptr, "D", 68},
    LinhaCatalogo{64, "F", "C021000170", nullptr, "F", 70},
    LinhaCatalogo{65, "G", "C022000171", nullptr, "G", 71},
    LinhaCatalogo{66, "H", "C023000172", nullptr, "H", 72},
    LinhaCatalogo{67, "J", "C024000174", nullptr, "J", 74},
    LinhaCatalogo{68, "K", "C025000175", nullptr, "K", 75},
    LinhaCatalogo{69, "L", "C026000176", nullptr, "L", 76},
    LinhaCatalogo{70, "Ç", "C0270001186", nullptr, "Ç", 199},
    LinhaCatalogo{71, "tilde", "C0280001222", nullptr, "~", 126},
    LinhaCatalogo{72, "] key", "C02B0001220", nullptr, "]", 93},
    LinhaCatalogo{73, "Enter (lower half)", "C01C000113", nullptr, "CR", 13},
    LinhaCatalogo{74, "numeric-pad 4 / Left", "C04B000137", "C04B0001100", "4", 52},
    LinhaCatalogo{75, "numeric-pad 5", "C04C000112", "C04C0001101", "5", 53},
    LinhaCatalogo{76, "numeric-pad 6 / Right", "C04D000139", "C04D0001102", "6", 54},
    LinhaCatalogo{77, "numeric-pad separator (ABNT key 7E)", "407E0001194", "407E0001108", ".", 46},
    LinhaCatalogo{78, "Left Shift", "C02A000116", nullptr, "FS", 28},
    LinhaCatalogo{79, "backslash", "C0560001226", nullptr, "\\", 92},
    LinhaCatalogo{80, "Z", "C02C000190", nullptr, "Z", 90},
    LinhaCatalogo{81, "X", "C02D000188", nullptr, "X", 88},
    LinhaCatalogo{82, "C", "C02E000167", nullptr, "C", 67},
    LinhaCatalogo{83, "V", "C02F000186", nullptr, "V", 86},
    LinhaCatalogo{84, "B", "C030000166", nullptr, "B", 66},
    LinhaCatalogo{85, "N", "C031000178", nullptr, "N", 78},
    LinhaCatalogo{86, "M", "C032000177", nullptr, "M", 77},
    LinhaCatalogo{87, "comma", "C0330001188", nullptr, ",", 44},
    LinhaCatalogo{88, "period", "C0340001190", nullptr, ".", 46},
    LinhaCatalogo{89, "semicolon", "C0350001191", nullptr, ";", 59},
    LinhaCatalogo{90, "slash/question (ABNT key 73)", "40730001223", "40730001193", "?", 63},
    LinhaCatalogo{91, "Right Shift", "C036000116", "C136000116", "GS", 29},
    LinhaCatalogo{92, "Up", "C148000138", nullptr, ":", 58},
    LinhaCatalogo{93, "numeric-pad 1 / End", "C04F000135", "C04F000197", "1", 49},
    LinhaCatalogo{94, "numeric-pad 2 / Down", "C050000140", "C050000198", "2", 50},
    LinhaCatalogo{95, "numeric-pad 3 / Page Down", "C051000134", "C051000199", "3", 51},
    LinhaCatalogo{96, "numeric-pad Enter (upper half)", "C11C000113", nullptr, "LF", 10},
    LinhaCatalogo{97, "Ctrl", "C01D000117", nullptr, "RS", 30},
    LinhaCatalogo{98, "Alt", "E038000118", nullptr, "<", 60},
    LinhaCatalogo{99, "Space", "C039000132", nullptr, "Space", 32},
    LinhaCatalogo{100, "Alt Gr", "E138000118", nullptr, ">", 62},
    LinhaCatalogo{101, "Right Ctrl", "C11D000117", nullptr, "US", 31},
    LinhaCatalogo{102, "Left", "C14B000137", nullptr, "(", 40},
    LinhaCatalogo{103, "Down", "C150000140", nullptr, ")", 41},
    LinhaCatalogo{104, "Right", "C14D000139", nullptr, "SUB", 26},
    LinhaCatalogo{105, "numeric-pad 0 (left half)", "0", nullptr, "96", 48},
    LinhaCatalogo{106, "numeric-pad 0 / Insert", "C052000145", "C052000196", "0", 48},
    LinhaCatalogo{107, "numeric-pad decimal / Delete", "C053000146", "C0530001110", "}", 125},
    LinhaCatalogo{108, "numeric-pad Enter (lower half)", "C11C000113", nullptr, "LF", 10},
    LinhaCatalogo{109, "Left Windows", "C15B000191", "0", nullptr, -1},
    LinhaCatalogo{110, "(no on-screen key)", "0", nullptr, nullptr, -1},
    LinhaCatalogo{111, "Menu", "C15D000193", "0", nullptr, -1},
}};

const std::array<const char*, 32> NOMES_CODIGOS = {{
    "", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BELL",
    "Back SP", "HTAB", "LF", "Tab", "FF", "CR", "SO", "SI",
    "DLE", "DC1", "DC2", "DC3", "DC4", "NACK", "SYN", "ETB",
    "CAN", "EN", "SUB", "ESC", "FS", "GS", "RS", "US",
}};
// clang-format on

void Catalogo::preenche_identificadores_e_legendas() {
    for (const LinhaCatalogo& l : LINHAS_CATALOGO)
        Id_TeclaPC[l.tecla - 1] = l.identificador;
    for (const LinhaCatalogo& l : LINHAS_CATALOGO)
        Id_TeclaPC_Alt[l.tecla - 1] = l.alternativo ? l.alternativo : l.identificador;
    for (const LinhaCatalogo& l : LINHAS_CATALOGO) {
        if (l.tecla <= 108) Legenda_TeclaLB[l.tecla - 1] = l.legenda ? l.legenda : "";
    }
}

void Catalogo::preenche_codigos_e_nomes() {
    Codigo_TeclaLB[0] = "0";
    for (const LinhaCatalogo& l : LINHAS_CATALOGO) {
        if (l.tecla <= 108 && l.codigo >= 0) Codigo_TeclaLB[l.tecla] = std::to_string(l.codigo);
    }
    for (int c = 0; c < 32; ++c)
        Nome_Codigo[c] = NOMES_CODIGOS[c];
}

int Catalogo::localiza(std::string_view s) const {
    // Compare from the second character on. A marker ("0", "1") has nothing after
    // its first character and an identifier always has, so markers never match.
    if (s.size() < 2) return 0;
    const std::string_view resto = s.substr(1);
    const auto confere = [&](const std::string& id) {
        return id.size() > 1 && std::string_view(id).substr(1) == resto;
    };
    for (int k = 1; k <= 111; ++k) {
        if (confere(Id_TeclaPC[k - 1]) || confere(Id_TeclaPC_Alt[k - 1])) return k;
    }
    return 0;
}

} // namespace vantora
