#pragma once
// The real window with Qt's own message boxes and file dialogs, shown in the private
// X server of tests/comum/xvfb.sh and driven by xdotool as an operator would.
#include "comum/falsos.h"
#include "files/dialogo_qt.h"
#include "shell/mensagens_qt.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

namespace vantora::teste {

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

struct JanelaReal {
    MensagensQt mensagens;
    ConfiguracaoFalsa configuracao;
    DialogoArquivoQt dialogo;
    std::unique_ptr<Frm_Grava> janela;
    JanelaReal() {
        Servicos s;
        s.mensagens = &mensagens;
        s.configuracao = &configuracao;
        s.dialogo = &dialogo;
        janela = std::make_unique<Frm_Grava>(s);
        mensagens.definePai(janela.get());
        dialogo.definePai(janela.get());
        janela->Form_Load();
        janela->move(0, 0);
        janela->show();
    }
    Frm_Grava* operator->() const { return janela.get(); }
    // The codes of the 65 keys in the four tables.
    [[nodiscard]] QList<int> teclas() const {
        QList<int> r;
        for (int t = 1; t <= 4; ++t)
            for (int k = 0; k < 65; ++k)
                r << janela->codigos.tabela(t)[size_t(k)];
        return r;
    }
    // A key typed on the window assigns its code to the selected key.
    void confere_tecla_ordinaria() const {
        QVERIFY(ativa(janela.get()));
        const int k = janela->Tecla_Atual;
        xdo({"key", "a"});
        QTRY_COMPARE(int(janela->codigos.Codigos_Tab1[size_t(k)]), 65);
        QCOMPARE(int(janela->Tecla_Atual), k + 1);
    }
};

} // namespace vantora::teste
