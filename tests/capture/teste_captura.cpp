// PC keyboard capture in the window: its keyboard filter fed key events built with
// native scan code, virtual key and modifiers as X11 and Windows give them, the lamps'
// own following of the lock keys, and the lock lamps. (The translation alone:
// teste_nucleo.)
#include "capture/MDL_Keyboard.h"
#include "capture/traducao.h"
#include "capture/travas.h"
#include "comum/falsos.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <optional>

using namespace vantora;
using namespace vantora::teste;

namespace {

// A native event: X keycode (or Windows scan code) and keysym (or virtual key), and
// its kind: 'p' press, 's' release.
struct Ev {
    std::uint32_t codigo;
    std::uint32_t simbolo;
    char tipo;
    int chave = 0; // Qt key, for events sent to the window
};
// The X keycodes and keysyms (or Windows scan codes and virtual keys) of the keys
// sent to the window.
constexpr Ev F1{67, 0xffbe, 'p', Qt::Key_F1}, TECLA_A{38, 'a', 'p', Qt::Key_A};

// Sends e's press and release; true when someone took the press (the filter, or the
// receiver).
bool tecla(QObject* alvo, const Ev& e, const QString& texto = {}) {
    QKeyEvent press(QEvent::KeyPress, e.chave, Qt::NoModifier, e.codigo, e.simbolo, 0, texto);
    QKeyEvent solta(QEvent::KeyRelease, e.chave, Qt::NoModifier, e.codigo, e.simbolo, 0, texto);
    const bool tomada = QCoreApplication::sendEvent(alvo, &press);
    QCoreApplication::sendEvent(alvo, &solta);
    return tomada;
}

} // namespace

class TesteCaptura : public QObject {
    Q_OBJECT

  private slots:
    // The lamps' own following of the lock keys: a press toggles, a key lights while
    // held, a release without its press still counts, and the system's word on the
    // indicators (or X11's lock modifiers) overrides only what it reports; from then
    // on Caps and Num are the system's, and late key reports do not undo them.
    void travas_acompanhadas() {
        TravasAcompanhadas t;
        TradutorTeclado tr(Plataforma::X11);
        const auto toca = [&](Ev e) {
            for (const RelatoTecla& r : tr.traduz({e.tipo == 's', false, e.codigo, e.simbolo}))
                t.tecla(r);
        };
        const Ev caps{66, 0xffe5, 'p'}, solta_caps{66, 0xffe5, 's'};
        toca(caps);
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(0x8001));
        toca(caps); // auto-repeat report: no second toggle
        toca(solta_caps);
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
        toca(solta_caps);
        QCOMPARE(t.GetKeyState(VK_CAPITAL), std::int16_t(0));
        QCOMPARE(t.GetKeyState(VK_NUMLOCK), std::int16_t(1));
    }

    // Installed, the filter takes every native key event of the window: the port box
    // gets nothing. Events without native data, another window of ours and the "LCM"
    // page (which removes the filter) get their keys; back on a table page, keys are
    // captured again. Suspended capture (while records go out) answers the keyboard: Y
    // yes, N no. (Which reports choose a key: teste_nucleo and the real keys of
    // teste_teclas.sh.)
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
        QVERIFY(tecla(porta, TECLA_A, QStringLiteral("a")));
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
        j.doc->escolhe_tecla(0);
        tecla(j.janela.get(), F1); // installed again, keys are captured again
        QCOMPARE(tab1[0], 1);
        QCOMPARE(j.doc->tecla(), 1);
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
        QList<std::uint32_t> cores;
        for (int i = 0; i < 4; ++i)
            cores << j.controle<Forma>(indexado("shpKeys", i))->FillColor();
        QCOMPARE(cores, (QList<std::uint32_t>{D, L, L, BRANCO}));
        JanelaDeTeste sem;
        sem.controle<Forma>(indexado("shpKeys", 1))->setFillColor(BRANCO);
        sem.cap->Atualiza_Leds();
        QCOMPARE(sem.controle<Forma>(indexado("shpKeys", 1))->FillColor(), D);
    }
};

QTEST_MAIN(TesteCaptura)
#include "teste_captura.moc"
