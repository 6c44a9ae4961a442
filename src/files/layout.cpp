#include "layout.h"

#include "editor/conversao.h"
#include "base/erro.h"

#include <QStringList>

namespace vantora {
namespace {

const QString TECLADO = QStringLiteral("Teclado");

QString chave_opcao(int c) {
    return QString::fromLatin1(OPCOES_LAYOUT[static_cast<std::size_t>(c)].chave);
}

// The section and key names, made once: a layout reads and writes 292 keys.
const QString& secao_tabela(int n) {
    static const std::array<QString, QTD_TABELAS + 1> nomes = [] {
        std::array<QString, QTD_TABELAS + 1> r;
        for (int t = 1; t <= QTD_TABELAS; ++t)
            r[static_cast<std::size_t>(t)] = QStringLiteral("Tab") + QString::number(t);
        return r;
    }();
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
    if (v.size() >= 2 && v[0] == QLatin1Char('-') && valor_inicial(v.left(2).toStdString()) == -2.0)
        return QStringLiteral(" ");
    return v;
}

void Grava_Ini(PerfilPrivado& ini, const QString& secao, const QString& chave, const QString& valor) {
    ini.grava(secao, chave, valor);
}

void Grava_Layout(PerfilPrivado& ini, const Layout& layout) {
    Grava_Ini(ini, TECLADO, QStringLiteral("Tipo"), tipoLayout());
    for (int c = 0; c < QTD_OPCOES; ++c)
        Grava_Ini(ini, TECLADO, chave_opcao(c), QString::number(layout.caixas[static_cast<std::size_t>(c)]));
    for (int i = 0; i < QTD_SLOTS; ++i) {
        for (int n = 1; n <= QTD_TABELAS; ++n)
            Grava_Ini(ini, secao_tabela(n), chave_entrada(i), QString::number(layout.tabela(n)[i]));
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
    return opcao >= 0 ? chave_opcao(opcao) : chave_entrada(entrada);
}

QString PosicaoLeitura::nome() const {
    return QStringLiteral("[%1] %2").arg(secao(), opcao >= 0 ? chave() : nome_entrada(entrada));
}

namespace {

// "a", "a e b", "a, b e c"
QString em_lista(QStringList partes) {
    const QString ultima = partes.takeLast();
    return partes.isEmpty() ? ultima : partes.join(QStringLiteral(", ")) + QStringLiteral(" e ") + ultima;
}

// A count of options or tables, in words.
QString por_extenso(int n) {
    static const std::array<const char*, 10> nomes = {"zero",  "uma",  "duas", "três", "quatro",
                                                      "cinco", "seis", "sete", "oito", "nove"};
    return n >= 0 && n < 10 ? QString::fromUtf8(nomes[static_cast<std::size_t>(n)]) : QString::number(n);
}

} // namespace

QString PosicaoLeitura::lido_antes() const {
    if (opcao == 1) return QStringLiteral("a opção ") + chave_opcao(0);
    if (opcao > 1) {
        QStringList chaves;
        for (int c = 0; c < opcao; ++c)
            chaves << chave_opcao(c);
        return QStringLiteral("as opções ") + em_lista(chaves);
    }
    if (opcao >= 0 || tabela < 1) return {};
    QStringList partes{QStringLiteral("as %1 opções").arg(por_extenso(QTD_OPCOES))};
    const QString todas = QStringLiteral("das %1 tabelas").arg(por_extenso(QTD_TABELAS));
    if (entrada == 1) partes << QStringLiteral("T0 ") + todas;
    if (entrada > 1) partes << QStringLiteral("T0–T%1 ").arg(entrada - 1) + todas;
    if (tabela > 1) {
        QStringList anteriores;
        for (int t = 1; t < tabela; ++t)
            anteriores << QStringLiteral("da ") + secao_tabela(t);
        partes << QStringLiteral("T%1 ").arg(entrada) + em_lista(anteriores);
    }
    return em_lista(partes);
}

ValorLido le_valor(const PerfilPrivado& ini, const PosicaoLeitura& onde) {
    ValorLido r;
    r.texto = Le_Ini(ini, onde.secao(), onde.chave());
    try {
        r.valor = onde.opcao < 0 && onde.entrada < PRIMEIRO_SENTINELA ? converte_inteiro(r.texto.toStdString())
                                                                      : converte_numero_inicial(r.texto.toStdString());
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
    for (int c = 0; c < QTD_OPCOES; ++c) {
        p.opcao = c;
        layout.caixas[static_cast<std::size_t>(c)] = valor();
    }
    p.opcao = -1;
    // The keys must all be there; the sentinels may be missing (0).
    for (int i = 0; i < QTD_SLOTS; ++i) {
        p.entrada = i;
        for (int n = 1; n <= QTD_TABELAS; ++n) {
            p.tabela = n;
            layout.tabela(n)[i] = valor();
        }
    }
    p = PosicaoLeitura();
    return true;
}

} // namespace vantora
