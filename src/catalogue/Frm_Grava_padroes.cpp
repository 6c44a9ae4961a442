// Filling the key catalogue and laying out the on-screen PC keyboard.
#include "shell/Frm_Grava.h"

namespace vantora {

namespace {
void exigeRotulo(const QWidget* w) {
    if (!w) // a label the layout pass needs is missing
        throw ErroExecucao(ERRO_SUBSCRITO);
}
} // namespace

void Frm_Grava::Carrega_Padroes() {
    padroes.preenche_identificadores_e_legendas();

    // Layout pass: captions from the catalogue, and the folds its markers ask for.
    // With the catalogue as it stands only the numeric-pad 0 folds (label 105 into 106).
    for (int k = 1; k <= 108; ++k) {
        exigeRotulo(Lbl_TeclaLB[k]);
        Lbl_TeclaLB[k]->setCaption(padroes.Legenda_TeclaLB[k - 1]);
        const QString& m = padroes.Id_TeclaPC_Alt[k - 1];
        if (m == QLatin1String("1")) {
            exigeRotulo(Lbl_TeclaLB[k - 1]);
            Lbl_TeclaLB[k]->hide();
            Sp_TeclaLB[k]->hide();
            const QRect s = Sp_TeclaLB[k - 1]->retanguloTwips();
            Sp_TeclaLB[k - 1]->colocaTwips(s.x(), s.y(), s.width() + Sp_TeclaLB[k]->retanguloTwips().width(),
                                           s.height());
            const QRect l = Lbl_TeclaLB[k - 1]->retanguloTwips();
            Lbl_TeclaLB[k - 1]->colocaTwips(l.x(), l.y(),
                                            l.width() + Lbl_TeclaLB[k]->retanguloTwips().width(), l.height());
        } else if (m == QLatin1String("0")) {
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
