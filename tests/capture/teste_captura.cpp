// The keyboard filter and the lock lamps, driven through the window: key events
// built with native scan code, virtual key and modifiers as X11 and Windows give them.
#include "capture/MDL_Keyboard.h"
#include "comum/falsos.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vantora;
using namespace vantora::teste;

namespace {

// X keycodes and keysyms of the keys used here.
struct TeclaX {
    std::uint32_t keycode;
    std::uint32_t keysym;
    int chave;
};
constexpr TeclaX F1{67, 0xffbe, Qt::Key_F1};
constexpr TeclaX ENTER{36, 0xff0d, Qt::Key_Return};
constexpr TeclaX ENTER_PAD{104, 0xff8d, Qt::Key_Enter};
constexpr TeclaX ALT_GR{108, 0xfe03, Qt::Key_AltGr};
constexpr TeclaX BARRA_ABNT{97, '/', Qt::Key_Slash};
constexpr TeclaX WIN_DIREITA{134, 0xffec, Qt::Key_Super_R};
constexpr TeclaX WIN_ESQUERDA{133, 0xffeb, Qt::Key_Super_L};
constexpr TeclaX TECLA_Y{29, 'y', Qt::Key_Y};
constexpr TeclaX TECLA_N{57, 'n', Qt::Key_N};
constexpr TeclaX TECLA_A{38, 'a', Qt::Key_A};

// Sends one native key event; true when someone took it (the filter, or the receiver).
bool envia(QObject* alvo, QEvent::Type tipo, const TeclaX& t, bool repeticao = false,
           const QString& texto = {}) {
    QKeyEvent e(tipo, t.chave, Qt::NoModifier, t.keycode, t.keysym, 0, texto, repeticao);
    return QCoreApplication::sendEvent(alvo, &e);
}
void tecla(QObject* alvo, const TeclaX& t) {
    envia(alvo, QEvent::KeyPress, t);
    envia(alvo, QEvent::KeyRelease, t);
}

// A loaded window whose filter reads X11 key data.
struct Janela : JanelaDeTeste {
    explicit Janela(Plataforma p = Plataforma::X11) {
        janela->Modulo_Teclado().tradutor.define_plataforma(p);
    }
    [[nodiscard]] const Tabela& tab1() const { return janela->codigos.tabela(1); }
    [[nodiscard]] std::int32_t handle() const {
        return janela->Modulo_Teclado().Hook_Teclado[WH_KEYBOARD + 1];
    }
};

} // namespace

class TesteCaptura : public QObject {
    Q_OBJECT

  private slots:
    // F1: nothing on the press; on release key 2 is chosen, code 1 "SOH".
    void f1PressionadoESolto() {
        Janela j;
        QVERIFY(j->captura_instalada());
        envia(j.janela.get(), QEvent::KeyPress, F1);
        QCOMPARE(j.tab1()[0], 0);
        QCOMPARE(j->Tecla_Atual, 0);
        envia(j.janela.get(), QEvent::KeyRelease, F1);
        QCOMPARE(j.tab1()[0], 1);
        QCOMPARE(j->Lbl_TeclaLBtab[0]->caption(), QStringLiteral("SOH"));
        QCOMPARE(j->Tecla_PC_Atual, 2);
        QCOMPARE(j->Tecla_Atual, 1);
    }

    // The same through the Windows native data.
    void f1NoWindows() {
        Janela j(Plataforma::Windows);
        QKeyEvent p(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, 0x3B, 112, 0);
        QKeyEvent s(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier, 0x3B, 112, 0);
        QCoreApplication::sendEvent(j.janela.get(), &p);
        QCoreApplication::sendEvent(j.janela.get(), &s);
        QCOMPARE(j.tab1()[0], 1);
        QCOMPARE(j->Tecla_PC_Atual, 2);
    }

    // Enter chooses key 52 (CR, 13); the numeric-pad Enter key 96 (LF, 10).
    void enterETecladoNumerico() {
        Janela j;
        tecla(j->cmbserialterm, ENTER);
        tecla(j->cmbserialterm, ENTER_PAD);
        QCOMPARE(j.tab1()[0], 13);
        QCOMPARE(j.tab1()[1], 10);
        QCOMPARE(j->Lbl_TeclaLBtab[1]->caption(), QStringLiteral("LF"));
        QCOMPARE(j->Tecla_PC_Atual, 96);
        QCOMPARE(j->Tecla_Atual, 2);
    }

    // Alt Gr chooses key 100 (">") once: the release of its Ctrl half is ignored.
    void altGr() {
        Janela j;
        tecla(j.janela.get(), ALT_GR);
        QCOMPARE(j.tab1()[0], 62);
        QCOMPARE(j.tab1()[1], 0);
        QCOMPARE(j->Tecla_PC_Atual, 100);
        QCOMPARE(j->Tecla_Atual, 1);
    }

    // The ABNT "/" key held: each auto-repeat press chooses key 90 again, and the
    // release once more.
    void barraAbntSegurada() {
        Janela j;
        QObject* alvo = j.janela.get();
        envia(alvo, QEvent::KeyPress, BARRA_ABNT);
        QCOMPARE(j->Tecla_Atual, 0);
        for (int i = 0; i < 3; ++i) {
            envia(alvo, QEvent::KeyRelease, BARRA_ABNT, true);
            envia(alvo, QEvent::KeyPress, BARRA_ABNT, true);
        }
        envia(alvo, QEvent::KeyRelease, BARRA_ABNT);
        QCOMPARE(j->Tecla_Atual, 4);
        for (int k = 0; k < 4; ++k)
            QCOMPARE(j.tab1()[k], 63);
        QCOMPARE(j->Lbl_TeclaLBtab[3]->caption(), QStringLiteral("?"));
    }

    // A key outside the catalogue: Txt_dado gets its identifier without the first
    // character, nothing else changes.
    void foraDoCatalogo() {
        Janela j;
        tecla(j.janela.get(), WIN_DIREITA);
        QCOMPARE(j->Txt_dado->text(), QStringLiteral("15C000192"));
        QCOMPARE(j->Tecla_Atual, 0);
        QCOMPARE(j.tab1()[0], 0);
    }

    // Suspended capture answers the send: Y 45, N 85, a key outside the catalogue 0.
    void capturaSuspensa() {
        Janela j;
        j->Captura_Suspensa = 1;
        const QString dado = j->Txt_dado->text();
        tecla(j.janela.get(), TECLA_Y);
        QCOMPARE(j->Resposta_Teclado, 45);
        tecla(j.janela.get(), TECLA_N);
        QCOMPARE(j->Resposta_Teclado, 85);
        tecla(j.janela.get(), WIN_DIREITA);
        QCOMPARE(j->Resposta_Teclado, 0);
        QCOMPARE(j->Txt_dado->text(), dado);
        QCOMPARE(j.tab1()[0], 0);
        QCOMPARE(j->Tecla_Atual, 0);
    }

    // The hidden key 109 (Left Windows) has no code: error 13, nothing assigned.
    void teclaOcultaErro13() {
        Janela j;
        tecla(j.janela.get(), WIN_ESQUERDA);
        QCOMPARE(
            j.mensagens.textos(),
            QStringList{
                "Error 13 (Tipos incompatíveis) in procedure Lbl_TeclaLB_Click of Formulário Frm_Grava"});
        QCOMPARE(j.tab1()[0], 0);
        QCOMPARE(j->Tecla_Atual, 0);
    }

    // A negative code is neither examined nor passed on.
    void codigoNegativo() {
        Janela j;
        MDL_Keyboard& m = j->Modulo_Teclado();
        QCOMPARE(m.KeyboardProc(-1, 112, 0xC03B0001u), 1);
        QCOMPARE(j->Tecla_Atual, 0);
        QCOMPARE(m.KeyboardProc(0, 112, 0xC03B0001u), 1);
        QCOMPARE(j->Tecla_Atual, 1);
        // Presses are ignored but for the four keys reported as already down.
        QCOMPARE(m.KeyboardProc(0, 112, 0x403B0001u), 1);
        QCOMPARE(m.KeyboardProc(0, 17, 0xE01D0001u), 1);
        QCOMPARE(j->Tecla_Atual, 1);
        QCOMPARE(m.KeyboardProc(0, 255, 0x407D0001u), 1);
        QCOMPARE(j.tab1()[1], 8);
        QVERIFY(j.mensagens.vistas.empty());
    }

    // Installing twice installs once; removing twice is no error and leaves zero.
    void instalaERemoveDuasVezes() {
        Janela j;
        const std::int32_t h = j.handle();
        QVERIFY(h != 0);
        j->Ativa_Captura();
        QCOMPARE(j.handle(), h);
        tecla(j.janela.get(), F1);
        QCOMPARE(j->Tecla_Atual, 1);

        j->Desativa_Captura();
        j->Desativa_Captura();
        QCOMPARE(j.handle(), 0);
        QVERIFY(!j->captura_instalada());
        QVERIFY(j.mensagens.vistas.empty());
        tecla(j.janela.get(), F1);
        QCOMPARE(j->Tecla_Atual, 1);
        // Installed again: a new handle, and keys are captured again.
        j->Ativa_Captura();
        QVERIFY(j.handle() != 0);
        tecla(j.janela.get(), F1);
        QCOMPARE(j->Tecla_Atual, 2);
    }

    // Hook types outside -1..14 are error 9 in the module's trap; other types than
    // the keyboard hook are refused (zero stored).
    void tiposDeHook() {
        Janela j;
        MDL_Keyboard& m = j->Modulo_Teclado();
        m.InstallHook(*j.janela, 15);
        m.RemoveHook(*j.janela, -2);
        QCOMPARE(
            j.mensagens.textos(),
            (QStringList{
                "Error 9 (Subscrito fora do intervalo) in procedure InstallHook of Módulo MDL_Keyboard",
                "Error 9 (Subscrito fora do intervalo) in procedure RemoveHook of Módulo MDL_Keyboard"}));
        QVERIFY(m.InstallHook(*j.janela, 13));
        QCOMPARE(m.Hook_Teclado[14], 0);
        m.RemoveHook(*j.janela, -1);
        QCOMPARE(m.Hook_Teclado[0], 0);
        QVERIFY(j->captura_instalada());
    }

    // Installed, the filter takes every native key event: typing into the port box
    // does nothing. Events without native data pass untouched.
    void consomeTudo() {
        Janela j;
        QLineEdit* edicao = j->cmbserialterm->lineEdit();
        edicao->clear();
        QVERIFY(envia(edicao, QEvent::KeyPress, TECLA_A, false, QStringLiteral("a")));
        envia(edicao, QEvent::KeyRelease, TECLA_A, false, QStringLiteral("a"));
        QCOMPARE(edicao->text(), QString());
        QCOMPARE(j.tab1()[0], 65);
        QTest::keyClick(edicao, Qt::Key_B, Qt::NoModifier);
        QCOMPARE(edicao->text(), QStringLiteral("b"));
        QCOMPARE(j->Tecla_Atual, 1);
    }

    // The "LCM" page removes the filter, so typing reaches the sentinel boxes; leaving
    // it installs the filter again.
    void paginaLcm() {
        Janela j;
        j->seleciona_aba(5);
        QVERIFY(!j->captura_instalada());
        QLineEdit* caixa = j->Txt_Inicial[0];
        caixa->clear();
        envia(caixa, QEvent::KeyPress, TECLA_A, false, QStringLiteral("a"));
        envia(caixa, QEvent::KeyRelease, TECLA_A, false, QStringLiteral("a"));
        QCOMPARE(caixa->text(), QStringLiteral("a"));
        QCOMPARE(j.tab1()[0], 0);
        j->seleciona_aba(1);
        QVERIFY(j->captura_instalada());
        tecla(j.janela.get(), TECLA_A);
        QCOMPARE(j.tab1()[0], 65);
    }

    // While one of our message boxes is open, keys go to it and assign nothing: Enter
    // closes it, and its release afterwards does not give the selected key code 13.
    void caixaDeMensagemRecebeEnter() {
        Janela j;
        QMessageBox caixa(j.janela.get());
        caixa.setText(QStringLiteral("Error 13"));
        QPushButton* ok = caixa.addButton(QMessageBox::Ok);
        caixa.setDefaultButton(ok);
        caixa.setWindowModality(Qt::ApplicationModal);
        caixa.show();
        QCOMPARE(QApplication::activeModalWidget(), &caixa);

        tecla(j.janela.get(), F1); // addressed to the window: still not captured
        QCOMPARE(j->Tecla_Atual, 0);
        envia(&caixa, QEvent::KeyPress, ENTER);
        QVERIFY(!caixa.isVisible());
        QCOMPARE(caixa.clickedButton(), static_cast<QAbstractButton*>(ok));
        envia(j.janela.get(), QEvent::KeyRelease, ENTER);
        QCOMPARE(j->Tecla_Atual, 0);
        QCOMPARE(j.tab1()[0], 0);
        // The box gone, keys are captured again.
        tecla(j.janela.get(), F1);
        QCOMPARE(j.tab1()[0], 1);
    }

    // Keys addressed to another window of ours (not a modal one) go to it as well.
    void outraJanela() {
        Janela j;
        QLineEdit outra;
        envia(&outra, QEvent::KeyPress, TECLA_A, false, QStringLiteral("a"));
        envia(&outra, QEvent::KeyRelease, TECLA_A, false, QStringLiteral("a"));
        QCOMPARE(outra.text(), QStringLiteral("a"));
        QCOMPARE(j.tab1()[0], 0);
    }

    // The shortcut query before a press is taken (no menu shortcut fires) and
    // assigns nothing; the press and release that follow are the keystroke.
    void consultaDeAtalho() {
        Janela j;
        QKeyEvent consulta(QEvent::ShortcutOverride, Qt::Key_F1, Qt::NoModifier, F1.keycode, F1.keysym, 0);
        consulta.ignore();
        QVERIFY(QCoreApplication::sendEvent(j.janela.get(), &consulta));
        QVERIFY(consulta.isAccepted());
        QCOMPARE(j->Tecla_Atual, 0);
        tecla(j.janela.get(), F1);
        QCOMPARE(j->Tecla_Atual, 1);
    }

    // --- Lock lamps ---

    // Num Lock on, Caps and Scroll off: lamp 1 bright, 2 and 3 dark, 4 untouched.
    void lampadas() {
        TravasFalsas travas;
        JanelaDeTeste j(false);
        j->servicos.travas = &travas;
        QVERIFY(j->Form_Load());
        j->shpKeys[3]->setFillColor(BRANCO);
        j->shpKeys[1]->setFillColor(BRANCO);
        travas.estados[VK_NUMLOCK] = 1;
        travas.consultas.clear();
        j->Tmr_POSICAO_Timer();
        QCOMPARE(j->shpKeys[0]->FillColor(), 0x00FF00u);
        QCOMPARE(j->shpKeys[1]->FillColor(), 0x008000u);
        QCOMPARE(j->shpKeys[2]->FillColor(), 0x008000u);
        QCOMPARE(j->shpKeys[3]->FillColor(), BRANCO);
        QCOMPARE(travas.consultas, (std::vector<int>{20, 144, 145}));

        // A lock key held down while off lights its lamp until it is released.
        travas.estados[VK_NUMLOCK] = 0;
        travas.estados[VK_CAPITAL] = static_cast<std::int16_t>(0x8000);
        travas.estados[VK_SCROLL] = static_cast<std::int16_t>(0x8001);
        j->Atualiza_Leds();
        QCOMPARE(j->shpKeys[0]->FillColor(), 0x008000u);
        QCOMPARE(j->shpKeys[1]->FillColor(), 0x00FF00u);
        QCOMPARE(j->shpKeys[2]->FillColor(), 0x00FF00u);
        travas.estados.clear();
        j->Atualiza_Leds();
        QCOMPARE(j->shpKeys[1]->FillColor(), 0x008000u);
        QCOMPARE(j->shpKeys[2]->FillColor(), 0x008000u);
    }

    // The 250 ms timer drives them: a change shows within one tick.
    void lampadasPeloTimer() {
        TravasFalsas travas;
        JanelaDeTeste j(false);
        j->servicos.travas = &travas;
        QVERIFY(j->Form_Load());
        QVERIFY(j->Tmr_POSICAO->isActive());
        travas.estados[VK_CAPITAL] = 1;
        QTRY_COMPARE_WITH_TIMEOUT(j->shpKeys[1]->FillColor(), 0x00FF00u, 400);
    }

    // Where the platform tells nothing (offscreen), the lamps read all off.
    void lampadasSemPlataforma() {
        JanelaDeTeste j;
        j->shpKeys[0]->setFillColor(BRANCO);
        j->Atualiza_Leds();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(j->shpKeys[i]->FillColor(), 0x008000u);
    }
};

QTEST_MAIN(TesteCaptura)
#include "teste_captura.moc"
