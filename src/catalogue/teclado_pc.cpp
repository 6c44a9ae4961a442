#include "catalogue/teclado_pc.h"

#include "base/erro.h"
#include "catalogue/geometria.h"

namespace vantora {

namespace {
void exigeRotulo(const QWidget* w) {
    if (!w) // a label the layout pass needs is missing
        throw ErroExecucao(ERRO_SUBSCRITO);
}
} // namespace

void TecladoPC::monta(QWidget* area) {
    for (int k = 0; k <= 111; ++k) {
        const auto r = forma_tecla_pc(k);
        if (!r) continue;
        auto* sp = forma(area, indexado("Sp_TeclaLB", k), r->esquerda, r->topo, r->largura, r->altura);
        sp->setFundoOpaco(true);
        sp->setBackColor(BRANCO);
        Sp_TeclaLB[k] = sp;
    }
    for (int k = 0; k <= 111; ++k) {
        const auto r = rotulo_tecla_pc(k);
        if (!r) continue;
        const QString design = k == 109   ? QStringLiteral("Iniciar")
                               : k == 111 ? QStringLiteral("Atalho")
                                          : QStringLiteral("Esc");
        auto* lb = rotulo(area, indexado("Lbl_TeclaLB", k), design, r->esquerda, r->topo, r->largura,
                          r->altura, Qt::AlignCenter);
        connect(lb, &Rotulo::clicked, this, [this, k] { emit clicada(k); });
        Lbl_TeclaLB[k] = lb;
    }
    for (int k : {109, 111}) {
        Lbl_TeclaLB[k]->hide();
        Sp_TeclaLB[k]->hide();
    }
    const RetanguloTecla nula = rotulo_sem_codigo();
    Lbl_TeclaLBnula = rotulo(area, QStringLiteral("Lbl_TeclaLBnula"), QStringLiteral("Sem Código"), nula.esquerda,
                             nula.topo, nula.largura, nula.altura, Qt::AlignCenter);
    connect(Lbl_TeclaLBnula, &Rotulo::clicked, this, [this] { emit nula_clicada(); });
}

void TecladoPC::Carrega_Padroes() {
    padroes.preenche_identificadores_e_legendas();

    // With the catalogue as it stands only the numeric-pad 0 folds (label 105 into 106).
    for (int k = 1; k <= 108; ++k) {
        exigeRotulo(Lbl_TeclaLB[k]);
        Lbl_TeclaLB[k]->setCaption(QString::fromStdString(padroes.Legenda_TeclaLB[k - 1]));
        const std::string& m = padroes.Id_TeclaPC_Alt[k - 1];
        if (m == "1") {
            exigeRotulo(Lbl_TeclaLB[k - 1]);
            Lbl_TeclaLB[k]->hide();
            Sp_TeclaLB[k]->hide();
            const QRect s = Sp_TeclaLB[k - 1]->retanguloTwips();
            Sp_TeclaLB[k - 1]->colocaTwips(s.x(), s.y(), s.width() + Sp_TeclaLB[k]->retanguloTwips().width(),
                                           s.height());
            const QRect l = Lbl_TeclaLB[k - 1]->retanguloTwips();
            Lbl_TeclaLB[k - 1]->colocaTwips(l.x(), l.y(),
                                            l.width() + Lbl_TeclaLB[k]->retanguloTwips().width(), l.height());
        } else if (m == "0") {
            exigeRotulo(Lbl_TeclaLB[k + 1]);
            Lbl_TeclaLB[k]->hide();
            Sp_TeclaLB[k]->hide();
            const QRect sk = Sp_TeclaLB[k]->retanguloTwips();
            const QRect s = Sp_TeclaLB[k + 1]->retanguloTwips();
            Sp_TeclaLB[k + 1]->colocaTwips(sk.x(), s.y(), s.width() + sk.width(), s.height());
            const QRect lk = Lbl_TeclaLB[k]->retanguloTwips();
            const QRect l = Lbl_TeclaLB[k + 1]->retanguloTwips();
            Lbl_TeclaLB[k + 1]->colocaTwips(lk.x(), l.y(), l.width() + lk.width(), l.height());
        }
    }

    padroes.preenche_codigos_e_nomes();
    exigeRotulo(Lbl_TeclaLB[0]);
    Lbl_TeclaLB[0]->setCaption(QString());
}

} // namespace vantora
