#include "layout.h"

#include "editor/conversao.h"
#include "base/erro.h"

#include <QStringList>

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

QString nome_entrada(int entrada) {
    const QString t = chave_entrada(entrada);
    return entrada < QTD_TECLAS ? t + QStringLiteral(" (tecla %1)").arg(entrada + 1) : t;
}

QString PosicaoLeitura::secao() const {
    return opcao >= 0 ? TECLADO : secao_tabela(tabela);
}

QString PosicaoLeitura::chave() const {
    return opcao >= 0 ? NOMES_CAIXAS[static_cast<std::size_t>(opcao)] : chave_entrada(entrada);
}

QString PosicaoLeitura::nome() const {
    return QStringLiteral("[%1] %2").arg(secao(), opcao >= 0 ? chave() : nome_entrada(entrada));
}

QString PosicaoLeitura::lido_antes() const {
    if (opcao == 1) return QStringLiteral("a opção Prot");
    if (opcao == 2) return QStringLiteral("as opções Prot e ProtDisp");
    if (opcao >= 0 || tabela < 1) return {};
    QStringList partes{QStringLiteral("as três opções")};
    if (entrada == 1) partes << QStringLiteral("T0 das quatro tabelas");
    if (entrada > 1) partes << QStringLiteral("T0–T%1 das quatro tabelas").arg(entrada - 1);
    static const std::array<const char*, 3> anteriores = {"da Tab1", "da Tab1 e da Tab2",
                                                          "da Tab1, da Tab2 e da Tab3"};
    if (tabela > 1)
        partes << QStringLiteral("T%1 %2").arg(entrada).arg(
            QLatin1String(anteriores[std::size_t(tabela - 2)]));
    const QString ultima = partes.takeLast();
    return partes.isEmpty() ? ultima : partes.join(QStringLiteral(", ")) + QStringLiteral(" e ") + ultima;
}

ValorLido le_valor(const PerfilPrivado& ini, const PosicaoLeitura& onde) {
    ValorLido r;
    r.texto = Le_Ini(ini, onde.secao(), onde.chave());
    try {
        r.valor = onde.opcao < 0 && onde.entrada < PRIMEIRO_SENTINELA ? converte_inteiro(r.texto)
                                                                      : converte_numero_inicial(r.texto);
        if (onde.opcao >= 0 && (r.valor < 0 || r.valor > 2)) r.erro = ErroExecucao(ERRO_PROPRIEDADE);
    } catch (const ErroExecucao& e) {
        r.erro = e;
    }
    return r;
}

bool Le_Layout(const PerfilPrivado& ini, Layout& layout, PosicaoLeitura* onde) {
    PosicaoLeitura local;
    PosicaoLeitura& p = onde ? *onde : local;
    p = PosicaoLeitura();
    if (Le_Ini(ini, TECLADO, QStringLiteral("Tipo")) != tipoLayout()) return false;
    const auto valor = [&] {
        ValorLido v = le_valor(ini, p);
        if (v.erro) throw *v.erro;
        return v.valor;
    };
    for (int c = 0; c < 3; ++c) {
        p.opcao = c;
        layout.caixas[c] = valor();
    }
    p.opcao = -1;
    // The keys must all be there; the sentinels may be missing (0).
    for (int i = 0; i < QTD_SLOTS; ++i) {
        p.entrada = i;
        for (int n = 1; n <= 4; ++n) {
            p.tabela = n;
            layout.codigos.tabela(n)[i] = valor();
        }
    }
    p = PosicaoLeitura();
    return true;
}

} // namespace vantora
