#include "layout.h"

#include "editor/conversao.h"
#include "shell/erro.h"

namespace vantora {
namespace {

const QString TECLADO = QStringLiteral("Teclado");
const std::array<QString, 3> NOMES_CAIXAS = {QStringLiteral("Prot"), QStringLiteral("ProtDisp"),
                                             QStringLiteral("ProtDispBNC")};

// The section and key names, made once: a layout reads and writes 292 keys.
const QString& secao_tabela(int n) {
    static const std::array<QString, 5> nomes = {QString(), QStringLiteral("Tab1"), QStringLiteral("Tab2"),
                                                 QStringLiteral("Tab3"), QStringLiteral("Tab4")};
    return nomes[static_cast<std::size_t>(n)];
}
const QString& chave_entrada(int i) {
    static const std::array<QString, QTD_SLOTS> nomes = [] {
        std::array<QString, QTD_SLOTS> r;
        for (int k = 0; k < QTD_SLOTS; ++k)
            r[static_cast<std::size_t>(k)] = QStringLiteral("T") + QString::number(k);
        return r;
    }();
    return nomes[static_cast<std::size_t>(i)];
}

} // namespace

QString Le_Ini(const PerfilPrivado& ini, const QString& secao, const QString& chave) {
    QString v = ini.le(secao, chave, QStringLiteral("-2"), 255);
    const qsizetype nul = v.indexOf(QChar(0));
    if (nul >= 0) v.truncate(nul);
    // Old files mark a missing key with -2; so does the default above.
    if (v.size() >= 2 && v[0] == QLatin1Char('-') && valor_inicial(QStringView(v).left(2)) == -2.0)
        return QStringLiteral(" ");
    return v;
}

void Grava_Ini(PerfilPrivado& ini, const QString& secao, const QString& chave, const QString& valor) {
    ini.grava(secao, chave, valor);
}

void Grava_Layout(PerfilPrivado& ini, const Layout& layout) {
    Grava_Ini(ini, TECLADO, QStringLiteral("Tipo"), tipoLayout());
    for (int c = 0; c < 3; ++c)
        Grava_Ini(ini, TECLADO, NOMES_CAIXAS[c], QString::number(layout.caixas[c]));
    for (int i = 0; i < QTD_SLOTS; ++i) {
        for (int n = 1; n <= 4; ++n)
            Grava_Ini(ini, secao_tabela(n), chave_entrada(i), QString::number(layout.codigos.tabela(n)[i]));
    }
}

bool Le_Layout(const PerfilPrivado& ini, Layout& layout) {
    if (Le_Ini(ini, TECLADO, QStringLiteral("Tipo")) != tipoLayout()) return false;
    for (int c = 0; c < 3; ++c) {
        const int v = converte_numero_inicial(Le_Ini(ini, TECLADO, NOMES_CAIXAS[c]));
        if (v < 0 || v > 2) throw ErroExecucao(ERRO_PROPRIEDADE);
        layout.caixas[c] = v;
    }
    // The keys must all be there; the sentinels may be missing (0).
    for (int i = 0; i < PRIMEIRO_SENTINELA; ++i) {
        for (int n = 1; n <= 4; ++n)
            layout.codigos.tabela(n)[i] = converte_inteiro(Le_Ini(ini, secao_tabela(n), chave_entrada(i)));
    }
    for (int i = PRIMEIRO_SENTINELA; i < QTD_SLOTS; ++i) {
        for (int n = 1; n <= 4; ++n)
            layout.codigos.tabela(n)[i] =
                converte_numero_inicial(Le_Ini(ini, secao_tabela(n), chave_entrada(i)));
    }
    return true;
}

} // namespace vantora
