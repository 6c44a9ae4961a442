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
        const int v = vizinha_da_metade(padroes.Id_TeclaPC_Alt[k - 1], k);
        if (v == 0) continue;
        exigeRotulo(Lbl_TeclaLB[v]);
        Lbl_TeclaLB[k]->hide();
        Sp_TeclaLB[k]->hide();
        const auto junta = [](auto* vizinha, auto* metade) {
            const QRect a = vizinha->retanguloTwips();
            const QRect b = metade->retanguloTwips();
            const RetanguloTecla r =
                junta_metade({a.x(), a.y(), a.width(), a.height()}, {b.x(), b.y(), b.width(), b.height()});
            vizinha->colocaTwips(r.esquerda, r.topo, r.largura, r.altura);
        };
        junta(Sp_TeclaLB[v], Sp_TeclaLB[k]);
        junta(Lbl_TeclaLB[v], Lbl_TeclaLB[k]);
    }

    padroes.preenche_codigos_e_nomes();
    exigeRotulo(Lbl_TeclaLB[0]);
    Lbl_TeclaLB[0]->setCaption(QString());
}

} // namespace vantora
