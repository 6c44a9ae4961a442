// PC keyboard capture: the translation of native key events into the catalogue's
// identifiers, the window's keyboard filter fed key events built with native scan
// code, virtual key and modifiers as X11 and Windows give them, and the lock lamps.
#include "capture/MDL_Keyboard.h"
#include "capture/traducao.h"
#include "capture/travas.h"
#include "catalogue/catalogo.h"
#include "comum/falsos.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <optional>

using namespace vantora;
using namespace vantora::teste;

namespace {

// A native event: X keycode (or Windows scan code) and keysym (or virtual key), and
// its kind: 'p' press, 's' release, 'P' and 'S' the halves of an auto-repeat pair.
struct Ev {
    std::uint32_t codigo;
    std::uint32_t simbolo;
    char tipo;
    int chave = 0; // Qt key, for events sent to the window
    std::uint64_t instante = 0;
};
EventoNativo nativo(const Ev& e) {
    const bool repeticao = e.tipo == 'P' || e.tipo == 'S';
    return {e.tipo == 's' || e.tipo == 'S', repeticao, e.codigo, e.simbolo, 0, e.instante};
}
QStringList identificadores(TradutorTeclado& t, const std::vector<Ev>& eventos) {
    QStringList l;
    for (const Ev& e : eventos)
        for (const RelatoTecla& r : t.traduz(nativo(e)))
            l << QString::fromStdString(identificador_tecla(r));
    return l;
}

// One physical key of the ABNT2 keyboard, one per kind of path through the
// translation: X keycode and keysym, Windows scan code (extended as 0x100) and
// virtual key, the identifier of its release and the on-screen key it reaches.
// clang-format off
const std::tuple<const char*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, QString, int> TECLADO[] = {
    {"F1", 67, 0xffbe, 0x3B, 112, "C03B0001112", 2},
    {"A", 38, 'a', 0x1E, 'A', "C01E000165", 61},
    {"pad Enter", 104, 0xff8d, 0x11C, 13, "C11C000113", 96},
    {"Num Lock is extended 45h", 77, 0xff7f, 0x145, 144, "C1450001144", 35},
    {"Pause is plain 45h", 127, 0xff13, 0x45, 19, "C045000119", 16},
    {"Print Screen", 107, 0xff61, 0x137, 44, "C137000144", 14},
    {"pad 7 Num Lock on", 79, 0xffb7, 0x47, 103, "C0470001103", 56},
    {"cedilla", 47, 0xe7, 0x27, 186, "C0270001186", 70},
    {"ABNT slash 73", 97, '/', 0x73, 193, "C0730001193", 90},
    {"key 7D", 132, 0, 0x7D, 255, "C07D0001255", 30},
    {"Alt Gr", 108, 0xfe03, 0x138, 18, "E138000118", 100},
    {"Left Windows", 133, 0xffeb, 0x15B, 91, "C15B000191", 109},
};

// Sequences of events on one platform and the identifiers they give.
const std::tuple<const char*, Plataforma, std::vector<Ev>, QStringList> SEQUENCIAS[] = {
    // X11's Alt Gr gives the left Ctrl half Windows reports with it: pressed before
    // the right Alt, released first while Alt is still down.
    {"Alt Gr on X11", Plataforma::X11, {{108, 0xfe03, 'p'}, {108, 0xfe03, 's'}},
     {"1D000117", "2138000118", "E01D000117", "E138000118"}},
    // Auto-repeat pairs are presses with the previous-state bit, one release at the
    // end; the next press is a fresh one.
    {"repeat on X11", Plataforma::X11,
     {{97, '/', 'p'}, {97, '/', 'S'}, {97, '/', 'P'}, {97, '/', 'S'}, {97, '/', 'P'}, {97, '/', 's'}, {97, '/', 'p'}},
     {"730001193", "40730001193", "40730001193", "C0730001193", "730001193"}},
    // Alt context while either Alt is down.
    {"Alt held while A is typed", Plataforma::X11,
     {{64, 0xffe9, 'p'}, {38, 'a', 'p'}, {38, 'a', 's'}, {64, 0xffe9, 's'}, {38, 'a', 'p'}, {38, 'a', 's'}},
     {"2038000118", "201E000165", "E01E000165", "E038000118", "1E000165", "C01E000165"}},
    // Ctrl + Pause (Break) and Alt + Print Screen (SysRq) take Windows' scan codes.
    {"Break and SysRq", Plataforma::X11, {{127, 0xff6b, 's'}, {107, 0xff15, 's'}}, {"C14600013", "C054000144"}},
    // Unknown keys give an identifier where a scan code is known, otherwise nothing.
    {"unknown keys", Plataforma::X11, {{92, 0, 's'}, {208, 0x1008ff13, 's'}, {3, 0, 's'}, {400, 0, 's'}},
     {"C05400010"}},
    {"no platform", Plataforma::Nenhuma, {{67, 0xffbe, 's'}}, {}},
    // Windows aligning its Num Lock with the keyboard's (Wine at the window's first
    // key) presses and releases it at once (2 ms): no release is reported. The
    // operator's own press still is.
    {"lock state aligned on Windows", Plataforma::Windows,
     {{0x145, 144, 'p', 0, 1977}, {0x145, 144, 's', 0, 1979}, {0x1E, 'A', 'p', 0, 1984},
      {0x145, 144, 'p', 0, 2090}, {0x145, 144, 's', 0, 2180}},
     {"1450001144", "1E000165", "1450001144", "C1450001144"}},
    // Wine's ABNT2 table numbers Ç, the ABNT "/", backslash and Alt Gr its own way, and
    // Alt Gr comes without the Ctrl half: they give what Windows gives.
    {"Wine's own scan codes", Plataforma::Wine,
     {{0x60, 186, 's'}, {0x56, 226, 's'}, {0x5E, 222, 's'}, {0x64, 0xE6, 'p'}, {0x64, 0xE6, 's'}},
     {"C0270001186", "C0730001193", "C0560001226", "1D000117", "2138000118", "E01D000117", "E138000118"}},
};
// clang-format on

// The X keycodes and keysyms (or Windows scan codes and virtual keys) of the keys
// sent to the window.
constexpr Ev F1{67, 0xffbe, 'p', Qt::Key_F1}, TECLA_A{38, 'a', 'p', Qt::Key_A};
Ev como(Ev e, char tipo) {
    e.tipo = tipo;
    return e;
}

// Sends one native key event; true when someone took it (the filter, or the receiver).
bool envia(QObject* alvo, const Ev& e, const QString& texto = {}) {
    const bool solta = e.tipo == 's' || e.tipo == 'S';
    QKeyEvent k(solta ? QEvent::KeyRelease : QEvent::KeyPress, e.chave, Qt::NoModifier, e.codigo, e.simbolo,
                0, texto, e.tipo == 'P' || e.tipo == 'S');
    return QCoreApplication::sendEvent(alvo, &k);
}
void tecla(QObject* alvo, const Ev& e, const QString& texto = {}) {
    envia(alvo, como(e, 'p'), texto);
    envia(alvo, como(e, 's'), texto);
}

} // namespace

class TesteCaptura : public QObject {
    Q_OBJECT
    Catalogo catalogo;

  private slots:
    void initTestCase() { catalogo.preenche(); }

    // Pressed and released on X11, Windows and Wayland, a key gives the same
    // identifier, which reaches its on-screen key. Wayland reads like X11, and so does a
    // virtual keyboard's own keymap, whose first key always comes as keycode 9.
    void teclado_abnt2() {
        const auto toque = [](std::uint32_t c, std::uint32_t s) {
            return std::vector<Ev>{{c, s, 'p'}, {c, s, 's'}};
        };
        for (const auto& [nome, keycode, keysym, varredura_win, vk_win, identificador, tecla] : TECLADO) {
            TradutorTeclado tx(Plataforma::X11), tw(plataforma_por_nome("windows")),
                tl(Plataforma::Wayland), tv(Plataforma::Wayland);
            const QStringList idx = identificadores(tx, toque(keycode, keysym));
            QVERIFY2(idx.last() == identificador, nome);
            QVERIFY2(identificadores(tw, toque(varredura_win, vk_win)).last() == idx.last(), nome);
            QVERIFY2(identificadores(tl, toque(keycode, keysym)) == idx, nome);
            QVERIFY2(!keysym || identificadores(tv, toque(9, keysym)) == idx, nome);
            QVERIFY2(catalogo.localiza(idx.last().toStdString()) == tecla, nome);
        }
    }

    // Sequences of events on one platform and the identifiers they give.
    void sequencias() {
        for (const auto& [nome, plataforma, eventos, esperados] : SEQUENCIAS) {
            TradutorTeclado t(plataforma);
            const QStringList r = identificadores(t, eventos);
            QVERIFY2(r == esperados, qPrintable(QStringLiteral("%1: %2").arg(nome, r.join(' '))));
        }
    }

    // The lamps' own following of the lock keys: a press toggles, a key lights while
    // held, a release without its press still counts, and the system's word on the
    // indicators (or X11's lock modifiers) overrides only what it reports; from then
    // on Caps and Num are the system's, and late key reports do not undo them.
    void travas_acompanhadas() {
        TravasAcompanhadas t;
        TradutorTeclado tr(Plataforma::X11);
        const auto toca = [&](Ev e) {
            for (const RelatoTecla& r : tr.traduz(nativo(e)))
                t.tecla(r);
        };
        const Ev caps{66, 0xffe5, 'p'};
        toca(caps);
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(0x8001));
        toca(caps); // auto-repeat report: no second toggle
        toca(como(caps, 's'));
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(1));
        toca({78, 0xff14, 's'}); // Scroll Lock released, its press unseen
        QCOMPARE(t.GetKeyState(VK_SCROLL), std::int16_t(1));
        QCOMPARE(t.GetKeyState(VK_NUMLOCK), std::int16_t(0));
        t.modificadores(0x12); // Lock and Mod2
        QCOMPARE(t.GetKeyState(VK_NUMLOCK), std::int16_t(1));
        const unsigned cn = TravasAcompanhadas::CAPS | TravasAcompanhadas::NUM;
        t.indicadores(TravasAcompanhadas::NUM, cn, cn);
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(0));
        QCOMPARE(t.GetKeyState(VK_SCROLL), std::int16_t(1));
        t.modificadores(0x02);
        toca(caps);
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(0x8000));
        toca(como(caps, 's'));
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(0));
        QCOMPARE(t.GetKeyState(VK_NUMLOCK), std::int16_t(1));
    }

    // Installed, the filter takes every native key event of the window: the port box
    // gets nothing. Events without native data, another window of ours and the "LCM"
    // page (which removes the filter) get their keys. Suspended capture (while records
    // go out) answers the keyboard: Y yes, N no.
    void filtro_da_janela() {
        JanelaDeTeste j;
        MDL_Keyboard& m = j.cap->Modulo_Teclado();
        m.tradutor.define_plataforma(Plataforma::X11); // the filter reads X11's native data
        const Tabela& tab1 = j.doc->layout().tabela(1);
        std::optional<Captura::Pausa> pausa(std::in_place, *j.cap);
        QSignalSpy ouvidas(j.cap, &Captura::resposta);
        for (const auto& [e, resposta] :
             {std::pair{Ev{29, 'y', 'p', Qt::Key_Y}, 45}, {Ev{57, 'n', 'p', Qt::Key_N}, 85}}) { // on-screen Y, N
            tecla(j.janela.get(), e);
            QCOMPARE(ouvidas.takeFirst().at(0).toInt(), resposta);
        }
        QCOMPARE(tab1[0], 0);
        pausa.reset();
        QLineEdit* porta = j.controle<QComboBox>(QStringLiteral("cmbserialterm"))->lineEdit();
        porta->clear();
        QVERIFY(envia(porta, TECLA_A, QStringLiteral("a")));
        envia(porta, como(TECLA_A, 's'), QStringLiteral("a"));
        QCOMPARE(porta->text(), QString());
        QCOMPARE(tab1[0], 65);
        QTest::keyClick(porta, Qt::Key_B, Qt::NoModifier);
        QCOMPARE(porta->text(), QStringLiteral("b"));
        QLineEdit outra;
        tecla(&outra, TECLA_A, QStringLiteral("a"));
        QCOMPARE(outra.text(), QStringLiteral("a"));
        QCOMPARE(j.doc->tecla(), 1);

        j.doc->escolhe_aba(5);
        QVERIFY(!j.cap->captura_instalada());
        QLineEdit* caixa = j.sentinela(0, 0);
        caixa->clear();
        tecla(caixa, TECLA_A, QStringLiteral("a"));
        QCOMPARE(caixa->text(), QStringLiteral("a"));
        QCOMPARE(tab1[1], 0);
        j.doc->escolhe_aba(1);
        QVERIFY(j.cap->captura_instalada());

        // Installing twice installs once; removing twice is no error and leaves zero;
        // installed again, keys are captured again (removed, they are not: the page above).
        j.doc->escolhe_tecla(0);
        const std::int32_t h = m.Hook_Teclado;
        m.InstallHook();
        QCOMPARE(m.Hook_Teclado, h);
        m.RemoveHook();
        m.RemoveHook();
        QCOMPARE(m.Hook_Teclado, 0);
        m.InstallHook();
        tecla(j.janela.get(), F1);
        QCOMPARE(j.doc->tecla(), 1);

        // A negative code is neither examined nor passed on; presses are ignored but
        // for the keys reported as already down.
        // The hook's code, virtual key and flags; the key selected after it.
        j.doc->escolhe_tecla(0);
        // clang-format off
        const std::tuple<int, int, std::uint32_t, int> chamadas[] = {
            {-1, 112, 0xC03B0001u, 0}, {0, 112, 0xC03B0001u, 1}, {0, 112, 0x403B0001u, 1},
            {0, 17, 0xE01D0001u, 1}, {0, 255, 0x407D0001u, 2}};
        // clang-format on
        for (const auto& [codigo, vk, dados, selecionada] : chamadas) {
            QCOMPARE(m.KeyboardProc(codigo, vk, dados), 1);
            QCOMPARE(j.doc->tecla(), selecionada);
        }
        QCOMPARE(tab1[1], 8);
        QVERIFY(j.mensagens.vistas.empty());
    }

    // Lamps 1-3 are Num, Caps and Scroll: bright when on or held, dark otherwise;
    // lamp 4 untouched. Where the platform tells nothing (offscreen) all are off. The
    // real X server's and compositor's lamps are read by teste_teclas_x11 and
    // teste_teclas_wayland.sh.
    void lampadas() {
        TravasFalsas travas;
        JanelaDeTeste j([&](JanelaDeTeste& j) { j.servicos.travas = &travas; });
        j.controle<Forma>(indexado("shpKeys", 3))->setFillColor(BRANCO);
        travas.estados = {{VK_CAPITAL, std::int16_t(0x8000)}, {VK_SCROLL, std::int16_t(0x8001)}};
        j.ed->Tmr_POSICAO_Timer();
        const std::uint32_t L = 0x00FF00u, D = 0x008000u;
        QCOMPARE((QList<std::uint32_t>{j.controle<Forma>(indexado("shpKeys", 0))->FillColor(),
                                       j.controle<Forma>(indexado("shpKeys", 1))->FillColor(),
                                       j.controle<Forma>(indexado("shpKeys", 2))->FillColor(),
                                       j.controle<Forma>(indexado("shpKeys", 3))->FillColor()}),
                 (QList<std::uint32_t>{D, L, L, BRANCO}));
        JanelaDeTeste sem;
        sem.controle<Forma>(indexado("shpKeys", 1))->setFillColor(BRANCO);
        sem.cap->Atualiza_Leds();
        QCOMPARE(sem.controle<Forma>(indexado("shpKeys", 1))->FillColor(), D);
    }
};

QTEST_MAIN(TesteCaptura)
#include "teste_captura.moc"
