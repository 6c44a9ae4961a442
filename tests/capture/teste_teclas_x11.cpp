// The real window in a private X server with the ABNT2 keymap (tests/comum/xvfb.sh),
// with Qt's own message boxes and file dialogs, driven by xdotool as an operator
// would: keys that close the real dialogs, focus that moves away with a key held,
// wheel turns, double-clicks and clicks on check boxes. Each checks that the layout
// took nothing it should not have, and that the next ordinary key still assigns.
// What each key assigns on the real program is tests/capture/teste_teclas.sh.
#include "comum/falsos.h"
#include "files/dialogo_qt.h"
#include "shell/mensagens_qt.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTabBar>
#include <QtTest>

using namespace vantora;
using namespace vantora::teste;

namespace {

inline void xdo(const QStringList& args) {
    QProcess::execute(QStringLiteral("xdotool"), args);
}

// Gives the window the keyboard, as the X server sees it.
inline bool ativa(QWidget* w) {
    xdo({"windowfocus", "--sync", QString::number(w->winId())});
    return QTest::qWaitFor([w] { return QApplication::activeWindow() == w; }, 5000);
}

inline void aponta(QWidget* w, QPoint p = {-1, -1}) {
    const QPoint g = w->mapToGlobal(p.x() < 0 ? w->rect().center() : p);
    xdo({"mousemove", "--sync", QString::number(g.x()), QString::number(g.y())});
}

// Qt's own message boxes and file dialogs.
struct DialogosQt {
    MensagensQt caixas;
    DialogoArquivoQt arquivos;
};
struct JanelaReal : DialogosQt, JanelaDeTeste {
    JanelaReal()
        : JanelaDeTeste(
              [this](JanelaDeTeste& j) {
                  j.servicos.mensagens = &caixas;
                  j.servicos.dialogo = &arquivos;
              },
              false) {
        caixas.definePai(janela.get());
        arquivos.definePai(janela.get());
        janela->Form_Load();
        janela->move(0, 0);
        janela->show();
        QVERIFY(ativa(janela.get()));
    }
    // The codes of the 65 keys in every table (saving fills in the sentinel rows).
    [[nodiscard]] QList<int> teclas() const {
        QList<int> r;
        for (const Tabela& t : doc->layout().tabelas)
            r << QList<int>(t.begin(), t.begin() + QTD_TECLAS);
        return r;
    }
    // A key typed on the window assigns its code to the selected key.
    void confere_tecla_ordinaria() const {
        QVERIFY(ativa(janela.get()));
        const int k = doc->tecla();
        xdo({"key", "a"});
        QTRY_COMPARE(int(doc->layout().tabela(1)[size_t(k)]), 65);
        QCOMPARE(int(doc->tecla()), k + 1);
    }
};

} // namespace

class TesteTeclasX11 : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

  private slots:
    // A key that closes a dialog (on its press) comes up in the window: nothing is
    // assigned, on the press nor on the release. A file dialog accepted with Enter and
    // cancelled with Esc, the window's own question answered with Enter (its default,
    // Sim), a message box opened by a key and closed with Enter.
    void tecla_que_fecha_dialogo() {
        fecha_dialogo("salvar", "Return");       // Save accepted with Enter
        fecha_dialogo("abrir", "Escape");        // Open cancelled with Esc
        fecha_dialogo("sobrescrever", "Return"); // the overwrite question answered with Enter
        fecha_dialogo("erro", "Return");         // an error box opened by a key, closed with Enter
    }

    // Alt pressed in the window and let go while another program has the keyboard:
    // afterwards the left Ctrl key is chosen again and releases carry no Alt.
    void alt_solto_fora_da_janela() {
        JanelaReal j;
        j.doc->escolhe_tecla(30);
        xdo({"keydown", "Alt_L"});
        QTest::qWait(100);
        xdo({"windowfocus", "0"}); // the keyboard to no window of ours
        QTRY_VERIFY(QApplication::activeWindow() == nullptr);
        xdo({"keyup", "Alt_L"});
        QTest::qWait(100);
        QVERIFY(ativa(j.janela.get()));
        xdo({"key", "Control_L"});
        QTRY_COMPARE(int(j.doc->tecla()), 31);
        QCOMPARE(int(j.doc->tecla_pc()), j.pc->padroes.localiza("C01D000117"));
        j.confere_tecla_ordinaria();
    }

    // The mouse the window should not take: the wheel over the tabs, the second
    // press of a double-click, the grey state of a box the operator clicks.
    void mouse() {
        JanelaReal j;
        j.doc->escolhe_tecla(12);
        aponta(j.abas()->tabBar());
        for (const char* botao : {"5", "5", "5", "5", "4"})
            xdo({"click", botao});
        QTest::qWait(200);
        QCOMPARE(j.doc->aba(), 1);
        QCOMPARE(int(j.doc->tecla()), 12);
        QVERIFY(j.cap->captura_instalada());

        aponta(j.pc->Lbl_TeclaLB[61]); // "A"
        xdo({"click", "--repeat", "2", "--delay", "60", "1"});
        QTRY_COMPARE(int(j.doc->layout().tabela(1)[12]), 65);
        QTest::qWait(200);
        QCOMPARE(int(j.doc->tecla()), 13);
        QCOMPARE(int(j.doc->layout().tabela(1)[13]), 0);

        Editor::define_caixa(j.opcao(1), 2);
        aponta(j.opcao(1), {8, j.opcao(1)->height() / 2});
        for (const int estado : {1, 0, 1}) {
            xdo({"click", "1"});
            QTest::qWait(150);
            QCOMPARE(Editor::valor_caixa(j.opcao(1)), estado);
        }
    }

  private:
    // Runs `comando` and closes its last dialog with `tecla`.
    void fecha_dialogo(const QString& comando, const QString& tecla) {
        if (QTest::currentTestFailed()) return; // one failure is enough
        JanelaReal j;
        j.doc->escolhe_tecla(20);
        const QList<int> antes = j.teclas();
        const QString arquivo = dir_.filePath(comando + ".key");
        if (comando == "sobrescrever") QVERIFY(QFile(arquivo).open(QIODevice::WriteOnly));
        // While the command runs its dialogs: file dialogs get the name; the last
        // dialog gets the key pressed down, and it goes up once the window has the
        // keyboard again, as when the operator lets go a moment later.
        QTimer operador;
        QWidget* respondido = nullptr;
        connect(&operador, &QTimer::timeout, this, [&] {
            QWidget* d = QApplication::activeModalWidget();
            if (!d || d == respondido || !d->isVisible()) return;
            respondido = d;
            if (auto* fd = qobject_cast<QFileDialog*>(d)) {
                fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(arquivo);
                if (comando == "sobrescrever") {
                    QTimer::singleShot(0, fd, [fd] { static_cast<QDialog*>(fd)->accept(); });
                    return;
                }
            }
            operador.stop();
            QVERIFY(ativa(d));
            xdo({"keydown", tecla});
        });
        operador.start(20);
        if (comando == "abrir")
            j.arq->mnu_Abrir_Click();
        else if (comando == "erro")
            xdo({"key", "133"}); // Left Windows, the hidden key without a code: error 13
        else
            j.arq->mnuSalvar_Click();
        QTRY_VERIFY(respondido);
        QVERIFY(ativa(j.janela.get()));
        xdo({"keyup", tecla});
        QTest::qWait(300);
        QCOMPARE(j.teclas(), antes);
        QCOMPARE(int(j.doc->tecla()), 20);
        if (comando != "abrir") QVERIFY(QFileInfo(arquivo).size() > 0 || comando == "erro");
        j.confere_tecla_ordinaria();
    }
};

QTEST_MAIN(TesteTeclasX11)
#include "teste_teclas_x11.moc"
