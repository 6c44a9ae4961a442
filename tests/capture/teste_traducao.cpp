// Translation of native key events into the identifiers of the catalogue, over
// every physical key of the Brazilian ABNT2 keyboard, as X11 and Windows deliver it.
#include "capture/traducao.h"
#include "capture/travas.h"
#include "catalogue/catalogo.h"

#include <QTest>
#include <vector>

using namespace vantora;

namespace {

// One physical key in one Num Lock state: X keycode and keysym, Windows scan code
// (extended as 0x100) and virtual key, and the on-screen key it must reach.
struct TeclaABNT2 {
    const char* nome;
    std::uint32_t keycode;
    std::uint32_t keysym;
    std::uint32_t varreduraWin;
    std::uint32_t vkWin;
    int tecla;
};

// clang-format off
const std::vector<TeclaABNT2> TECLADO = {
    {"Esc", 9, 0xff1b, 0x01, 27, 1},
    {"F1", 67, 0xffbe, 0x3B, 112, 2}, {"F2", 68, 0xffbf, 0x3C, 113, 3}, {"F3", 69, 0xffc0, 0x3D, 114, 4},
    {"F4", 70, 0xffc1, 0x3E, 115, 5}, {"F5", 71, 0xffc2, 0x3F, 116, 6}, {"F6", 72, 0xffc3, 0x40, 117, 7},
    {"F7", 73, 0xffc4, 0x41, 118, 8}, {"F8", 74, 0xffc5, 0x42, 119, 9}, {"F9", 75, 0xffc6, 0x43, 120, 10},
    {"F10", 76, 0xffc7, 0x44, 121, 11}, {"F11", 95, 0xffc8, 0x57, 122, 12}, {"F12", 96, 0xffc9, 0x58, 123, 13},
    {"Print Screen", 107, 0xff61, 0x137, 44, 14}, {"Scroll Lock", 78, 0xff14, 0x46, 145, 15},
    {"Pause", 127, 0xff13, 0x45, 19, 16},
    {"quote", 49, 0x27, 0x29, 192, 17},
    {"1", 10, '1', 0x02, '1', 18}, {"2", 11, '2', 0x03, '2', 19}, {"3", 12, '3', 0x04, '3', 20},
    {"4", 13, '4', 0x05, '4', 21}, {"5", 14, '5', 0x06, '5', 22}, {"6", 15, '6', 0x07, '6', 23},
    {"7", 16, '7', 0x08, '7', 24}, {"8", 17, '8', 0x09, '8', 25}, {"9", 18, '9', 0x0A, '9', 26},
    {"0", 19, '0', 0x0B, '0', 27}, {"minus", 20, '-', 0x0C, 189, 28}, {"equals", 21, '=', 0x0D, 187, 29},
    {"key 7D", 132, 0, 0x7D, 255, 30}, {"Backspace", 22, 0xff08, 0x0E, 8, 31},
    {"Insert", 118, 0xff63, 0x152, 45, 32}, {"Home", 110, 0xff50, 0x147, 36, 33},
    {"Page Up", 112, 0xff55, 0x149, 33, 34}, {"Num Lock", 77, 0xff7f, 0x145, 144, 35},
    {"pad /", 106, 0xffaf, 0x135, 111, 36}, {"pad *", 63, 0xffaa, 0x37, 106, 37}, {"pad -", 82, 0xffad, 0x4A, 109, 38},
    {"Tab", 23, 0xff09, 0x0F, 9, 39},
    {"Q", 24, 'q', 0x10, 'Q', 40}, {"W", 25, 'w', 0x11, 'W', 41}, {"E", 26, 'e', 0x12, 'E', 42},
    {"R", 27, 'r', 0x13, 'R', 43}, {"T", 28, 't', 0x14, 'T', 44}, {"Y", 29, 'y', 0x15, 'Y', 45},
    {"U", 30, 'u', 0x16, 'U', 46}, {"I", 31, 'i', 0x17, 'I', 47}, {"O", 32, 'o', 0x18, 'O', 48},
    {"P", 33, 'p', 0x19, 'P', 49}, {"acute", 34, 0xfe51, 0x1A, 219, 50}, {"[", 35, '[', 0x1B, 221, 51},
    {"Enter", 36, 0xff0d, 0x1C, 13, 52}, {"Delete", 119, 0xffff, 0x153, 46, 53},
    {"End", 115, 0xff57, 0x14F, 35, 54}, {"Page Down", 117, 0xff56, 0x151, 34, 55},
    {"pad 7 (Home)", 79, 0xff95, 0x47, 36, 56}, {"pad 7", 79, 0xffb7, 0x47, 103, 56},
    {"pad 8 (Up)", 80, 0xff97, 0x48, 38, 57}, {"pad 8", 80, 0xffb8, 0x48, 104, 57},
    {"pad 9 (Page Up)", 81, 0xff9a, 0x49, 33, 58}, {"pad 9", 81, 0xffb9, 0x49, 105, 58},
    {"pad +", 86, 0xffab, 0x4E, 107, 59}, {"Caps Lock", 66, 0xffe5, 0x3A, 20, 60},
    {"A", 38, 'a', 0x1E, 'A', 61}, {"S", 39, 's', 0x1F, 'S', 62}, {"D", 40, 'd', 0x20, 'D', 63},
    {"F", 41, 'f', 0x21, 'F', 64}, {"G", 42, 'g', 0x22, 'G', 65}, {"H", 43, 'h', 0x23, 'H', 66},
    {"J", 44, 'j', 0x24, 'J', 67}, {"K", 45, 'k', 0x25, 'K', 68}, {"L", 46, 'l', 0x26, 'L', 69},
    {"cedilla", 47, 0xe7, 0x27, 186, 70}, {"tilde", 48, 0xfe53, 0x28, 222, 71}, {"]", 51, ']', 0x2B, 220, 72},
    {"pad 4 (Left)", 83, 0xff96, 0x4B, 37, 74}, {"pad 4", 83, 0xffb4, 0x4B, 100, 74},
    {"pad 5", 84, 0xff9d, 0x4C, 12, 75}, {"pad 5 (Num Lock)", 84, 0xffb5, 0x4C, 101, 75},
    {"pad 6 (Right)", 85, 0xff98, 0x4D, 39, 76}, {"pad 6", 85, 0xffb6, 0x4D, 102, 76},
    {"pad separator 7E", 129, 0xffae, 0x7E, 194, 77},
    {"Left Shift", 50, 0xffe1, 0x2A, 16, 78}, {"backslash", 94, '\\', 0x56, 226, 79},
    {"Z", 52, 'z', 0x2C, 'Z', 80}, {"X", 53, 'x', 0x2D, 'X', 81}, {"C", 54, 'c', 0x2E, 'C', 82},
    {"V", 55, 'v', 0x2F, 'V', 83}, {"B", 56, 'b', 0x30, 'B', 84}, {"N", 57, 'n', 0x31, 'N', 85},
    {"M", 58, 'm', 0x32, 'M', 86}, {"comma", 59, ',', 0x33, 188, 87}, {"period", 60, '.', 0x34, 190, 88},
    {"semicolon", 61, ';', 0x35, 191, 89}, {"ABNT slash 73", 97, '/', 0x73, 193, 90},
    {"Right Shift", 62, 0xffe2, 0x36, 16, 91}, {"Up", 111, 0xff52, 0x148, 38, 92},
    {"pad 1 (End)", 87, 0xff9c, 0x4F, 35, 93}, {"pad 1", 87, 0xffb1, 0x4F, 97, 93},
    {"pad 2 (Down)", 88, 0xff99, 0x50, 40, 94}, {"pad 2", 88, 0xffb2, 0x50, 98, 94},
    {"pad 3 (Page Down)", 89, 0xff9b, 0x51, 34, 95}, {"pad 3", 89, 0xffb3, 0x51, 99, 95},
    {"pad Enter", 104, 0xff8d, 0x11C, 13, 96}, {"Left Ctrl", 37, 0xffe3, 0x1D, 17, 97},
    {"Left Alt", 64, 0xffe9, 0x38, 18, 98}, {"Space", 65, ' ', 0x39, 32, 99},
    {"Alt Gr", 108, 0xfe03, 0x138, 18, 100}, {"Right Ctrl", 105, 0xffe4, 0x11D, 17, 101},
    {"Left", 113, 0xff51, 0x14B, 37, 102}, {"Down", 116, 0xff54, 0x150, 40, 103}, {"Right", 114, 0xff53, 0x14D, 39, 104},
    {"pad 0 (Insert)", 90, 0xff9e, 0x52, 45, 106}, {"pad 0", 90, 0xffb0, 0x52, 96, 106},
    {"pad decimal (Delete)", 91, 0xff9f, 0x53, 46, 107}, {"pad decimal", 91, 0xffac, 0x53, 110, 107},
    {"Left Windows", 133, 0xffeb, 0x15B, 91, 109}, {"Right Windows", 134, 0xffec, 0x15C, 92, 0},
    {"Menu", 135, 0xff67, 0x15D, 93, 111},
};
// clang-format on

EventoNativo x11(std::uint32_t keycode, std::uint32_t keysym, bool solta, bool repeticao = false) {
    return {solta, repeticao, keycode, keysym, 0};
}
EventoNativo win(std::uint32_t varredura, std::uint32_t vk, bool solta, bool repeticao = false) {
    return {solta, repeticao, varredura, vk, 0};
}

// Identifiers of the reports of a sequence of events.
QStringList identificadores(TradutorTeclado& t, const std::vector<EventoNativo>& eventos) {
    QStringList l;
    for (const auto& e : eventos)
        for (const RelatoTecla& r : t.traduz(e))
            l << identificador_tecla(r);
    return l;
}

} // namespace

class TesteTraducao : public QObject {
    Q_OBJECT
    Catalogo catalogo;

  private slots:
    void initTestCase() { catalogo.preenche(); }

    void tecladoInteiro_data() {
        QTest::addColumn<int>("linha");
        for (int i = 0; i < int(TECLADO.size()); ++i)
            QTest::addRow("%s", TECLADO[i].nome) << i;
    }
    // Pressed and released on either platform, every key reaches its on-screen key
    // with the same identifier.
    void tecladoInteiro() {
        QFETCH(int, linha);
        const TeclaABNT2& k = TECLADO[linha];
        TradutorTeclado tx(Plataforma::X11);
        TradutorTeclado tw(Plataforma::Windows);
        const QStringList idx =
            identificadores(tx, {x11(k.keycode, k.keysym, false), x11(k.keycode, k.keysym, true)});
        const QStringList idw =
            identificadores(tw, {win(k.varreduraWin, k.vkWin, false), win(k.varreduraWin, k.vkWin, true)});
        QVERIFY(idx.size() >= 2);
        QCOMPARE(idw.size(), 2);
        const QString soltaX = idx.last();
        QCOMPARE(soltaX, idw.last());
        // Wayland: the compositor's keymap reads like X11, and so does a virtual
        // keyboard's own keymap, whose first key always comes as keycode 9.
        TradutorTeclado tl(Plataforma::Wayland);
        QCOMPARE(identificadores(tl, {x11(k.keycode, k.keysym, false), x11(k.keycode, k.keysym, true)}), idx);
        if (k.keysym != 0) {
            TradutorTeclado tv(Plataforma::Wayland);
            QCOMPARE(identificadores(tv, {x11(9, k.keysym, false), x11(9, k.keysym, true)}), idx);
        }
        QCOMPARE(catalogo.localiza(soltaX), k.tecla);
        // The release sets transition and previous state; a first press neither.
        TradutorTeclado t(Plataforma::Windows);
        const Relatos pressao = t.traduz(win(k.varreduraWin, k.vkWin, false));
        const Relatos solta = t.traduz(win(k.varreduraWin, k.vkWin, true));
        QCOMPARE(pressao.itens[0].palavra & (BIT_TRANSICAO | BIT_ESTADO_ANTERIOR), 0u);
        QCOMPARE(solta.itens[0].palavra & (BIT_TRANSICAO | BIT_ESTADO_ANTERIOR),
                 BIT_TRANSICAO | BIT_ESTADO_ANTERIOR);
        QCOMPARE(solta.itens[0].palavra & 0xFFFFu, 1u);
    }

    void identificadoresExatos_data() {
        QTest::addColumn<QString>("tecla");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("F1") << "F1"
                            << "C03B0001112";
        QTest::newRow("Enter") << "Enter"
                               << "C01C000113";
        QTest::newRow("pad Enter") << "pad Enter"
                                   << "C11C000113";
        QTest::newRow("Left Alt carries the Alt context") << "Left Alt"
                                                          << "E038000118";
        QTest::newRow("Num Lock is extended 45h") << "Num Lock"
                                                  << "C1450001144";
        QTest::newRow("Pause is plain 45h") << "Pause"
                                            << "C045000119";
        QTest::newRow("pad 7 Num Lock off") << "pad 7 (Home)"
                                            << "C047000136";
        QTest::newRow("pad 7 Num Lock on") << "pad 7"
                                           << "C0470001103";
        QTest::newRow("Right Windows") << "Right Windows"
                                       << "C15C000192";
        QTest::newRow("Print Screen") << "Print Screen"
                                      << "C137000144";
    }
    void identificadoresExatos() {
        QFETCH(QString, tecla);
        QFETCH(QString, esperado);
        for (const auto& k : TECLADO) {
            if (tecla != QLatin1String(k.nome)) continue;
            TradutorTeclado t(Plataforma::X11);
            QCOMPARE(
                identificadores(t, {x11(k.keycode, k.keysym, false), x11(k.keycode, k.keysym, true)}).last(),
                esperado);
            return;
        }
        QFAIL("no such key in the table");
    }

    // X11 Alt Gr gives the left Ctrl half Windows reports with it: pressed before the
    // right Alt, released first while Alt is still down.
    void altGrComCtrlFalso() {
        TradutorTeclado t(Plataforma::X11);
        QCOMPARE(identificadores(t, {x11(108, 0xfe03, false)}), (QStringList{"1D000117", "2138000118"}));
        QCOMPARE(identificadores(t, {x11(108, 0xfe03, true)}), (QStringList{"E01D000117", "E138000118"}));
        // Windows delivers both halves itself.
        TradutorTeclado w(Plataforma::Windows);
        QCOMPARE(identificadores(w, {win(0x1D, 17, false), win(0x138, 18, false), win(0x1D, 17, true),
                                     win(0x138, 18, true)}),
                 (QStringList{"1D000117", "2138000118", "E01D000117", "E138000118"}));
    }

    // Qt's auto-repeat pairs become presses with the previous-state bit; the key gives
    // one release when it goes up.
    void repeticaoAutomatica() {
        for (auto p : {Plataforma::X11, Plataforma::Windows}) {
            TradutorTeclado t(p);
            const bool x = p == Plataforma::X11;
            const std::uint32_t c = x ? 97 : 0x73;
            const std::uint32_t v = x ? '/' : 193;
            const auto ev = [&](bool solta, bool rep) { return EventoNativo{solta, rep, c, v, 0}; };
            QCOMPARE(identificadores(t, {ev(false, false), ev(true, true), ev(false, true), ev(true, true),
                                         ev(false, true), ev(true, false)}),
                     (QStringList{"730001193", "40730001193", "40730001193", "C0730001193"}));
            // Up again: the next press is a fresh one.
            QCOMPARE(identificadores(t, {ev(false, false)}), QStringList{"730001193"});
        }
    }

    // A key held while another is typed: Alt context while either Alt is down.
    void contextoAlt() {
        TradutorTeclado t(Plataforma::X11);
        QCOMPARE(identificadores(t, {x11(64, 0xffe9, false), x11(38, 'a', false), x11(38, 'a', true),
                                     x11(64, 0xffe9, true), x11(38, 'a', false), x11(38, 'a', true)}),
                 (QStringList{"20380001"
                              "18",
                              "201E0001"
                              "65",
                              "E01E0001"
                              "65",
                              "E0380001"
                              "18",
                              "1E0001"
                              "65",
                              "C01E0001"
                              "65"}));
    }

    // Keys we do not know still give an identifier where a scan code is known;
    // otherwise nothing. Without a platform nothing is translated.
    void teclasDesconhecidas() {
        TradutorTeclado t(Plataforma::X11);
        QCOMPARE(identificadores(t, {x11(8 + 84, 0, true)}), QStringList{"C0540001"
                                                                         "0"});
        QCOMPARE(identificadores(t, {x11(8 + 200, 0x1008ff13, true), x11(3, 0, true), x11(400, 0, true)}),
                 QStringList{});
        TradutorTeclado n;
        QCOMPARE(identificadores(n, {x11(67, 0xffbe, true)}), QStringList{});
        QCOMPARE(plataforma_por_nome(QStringLiteral("xcb")), Plataforma::X11);
        QCOMPARE(plataforma_por_nome(QStringLiteral("windows")), Plataforma::Windows);
        QCOMPARE(plataforma_por_nome(QStringLiteral("offscreen")), Plataforma::Nenhuma);
    }

    // Ctrl + Pause (Break) and Alt + Print Screen (SysRq) take the scan codes Windows gives them.
    void breakESysRq() {
        TradutorTeclado t(Plataforma::X11);
        QCOMPARE(identificadores(t, {x11(127, 0xff6b, true), x11(107, 0xff15, true)}),
                 (QStringList{"C14600013", "C054000144"}));
    }

    // A release that went to a dialog leaves the key up.
    // The lamps' own following of the lock keys: a press toggles, a key lights while
    // held, a release without its press still counts, and the system's word on the
    // indicators (or X11's lock modifiers) overrides only what it reports.
    void travasAcompanhadas() {
        TravasAcompanhadas t;
        TradutorTeclado tr(Plataforma::X11);
        const auto toca = [&](std::uint32_t keycode, std::uint32_t keysym, bool solta) {
            for (const RelatoTecla& r : tr.traduz(x11(keycode, keysym, solta)))
                t.tecla(r);
        };
        toca(66, 0xffe5, false); // Caps Lock down
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(0x8001));
        toca(66, 0xffe5, false); // auto-repeat report: no second toggle
        toca(66, 0xffe5, true);
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(1));
        toca(78, 0xff14, true); // Scroll Lock released, its press unseen
        QCOMPARE(t.GetKeyState(VK_SCROLL), std::int16_t(1));
        QCOMPARE(t.GetKeyState(VK_NUMLOCK), std::int16_t(0));
        t.modificadores(0x12); // Lock and Mod2
        QCOMPARE(t.GetKeyState(VK_NUMLOCK), std::int16_t(1));
        const unsigned cn = TravasAcompanhadas::CAPS | TravasAcompanhadas::NUM;
        t.indicadores(TravasAcompanhadas::NUM, cn, cn);
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(0));
        QCOMPARE(t.GetKeyState(VK_SCROLL), std::int16_t(1));
        // From now on Caps and Num are the system's: a late key or modifier report
        // does not undo what it said.
        t.modificadores(0x02);
        toca(66, 0xffe5, false);
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(0x8000));
        toca(66, 0xffe5, true);
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(0));
        QCOMPARE(t.GetKeyState(VK_NUMLOCK), std::int16_t(1));
    }

    void esquece() {
        TradutorTeclado t(Plataforma::X11);
        (void)t.traduz(x11(97, '/', false));
        t.esquece(x11(97, '/', true));
        QCOMPARE(identificadores(t, {x11(97, '/', false)}), QStringList{"730001193"});
    }
};

QTEST_GUILESS_MAIN(TesteTraducao)
#include "teste_traducao.moc"
