#include "tabelas.h"

#include "catalogue/catalogo.h"
#include "base/erro.h"

namespace vantora {

Tabela& Layout::tabela(int n) {
    return const_cast<Tabela&>(static_cast<const Layout*>(this)->tabela(n));
}

const Tabela& Layout::tabela(int n) const {
    if (n < 1 || n > QTD_TABELAS) throw ErroExecucao(ERRO_SUBSCRITO);
    return tabelas[static_cast<std::size_t>(n - 1)];
}

void Layout::limpa_tabelas() {
    for (Tabela& t : tabelas)
        t.fill(0);
}

QString legenda_codigo(int c, const Catalogo& catalogo) {
    const QString numero = QStringLiteral("<%1>").arg(c);
    if (c < 0 || c > 255) return numero;
    if (c < 32) return catalogo.Nome_Codigo[std::size_t(c)];
    if (c == 32) return QStringLiteral("Space");
    if (c == 127) return QStringLiteral("DEL");
    const QChar ch(static_cast<char16_t>(caractere_ansi(c)));
    // The code page's five holes have no character at all; every other code is its
    // character, even one that prints as a blank (160) or not at all (173).
    return ch.category() == QChar::Other_Control ? numero : QString(ch);
}

QString dica_codigo(int c) {
    return QString::number(c) + QStringLiteral(" (") +
           QString::number(static_cast<std::uint16_t>(c), 16).toUpper() + QStringLiteral("h)");
}

QString texto_sentinela(const Layout& codigos, int slot, int caixa) {
    const int valor = codigos.tabela(caixa + 1).at(slot);
    if (caixa == 0 && valor == 0)
        return QString::fromLatin1(LINHAS_SENTINELA.at(std::size_t(slot - PRIMEIRO_SENTINELA)).padrao);
    return QString::number(valor);
}

QString legenda_trilha(int trilha) {
    return QStringLiteral("Leitor Trilha %1").arg(trilha);
}

QString nome_sentinela(const LinhaSentinela& linha) {
    QString legenda = QString::fromLatin1(linha.legenda);
    legenda.chop(1); // the colon
    return legenda + QStringLiteral(", ") + legenda_trilha(linha.trilha);
}

} // namespace vantora
