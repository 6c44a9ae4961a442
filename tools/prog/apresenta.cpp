#include "apresenta.h"

#include "link/protocolo.h"
#include "base/erro.h"

#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <filesystem>

namespace vantora {

namespace {

// "Trilha 2, sentinela inicial"
QString nome_da_linha(const LinhaSentinela& st) {
    QString legenda = QString::fromLatin1(st.legenda).toLower();
    legenda.chop(1); // the colon
    return QStringLiteral("Trilha %1, ").arg(st.trilha) + legenda;
}

int tecla(int linha, int coluna) {
    return linha * TECLAS_POR_LINHA + coluna;
}

// "codigo1,codigo2,...,legenda1,legenda2,..."
QString colunas_das_tabelas() {
    QStringList c;
    for (const char* nome : {"codigo", "legenda"})
        for (int n = 1; n <= QTD_TABELAS; ++n)
            c << QString::fromLatin1(nome) + QString::number(n);
    return c.join(QLatin1Char(','));
}

QString csvCampo(QString s) {
    if (s.contains(QLatin1Char(',')) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n')) ||
        s.startsWith(QLatin1Char(' ')) || s.endsWith(QLatin1Char(' '))) {
        s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + s + QLatin1Char('"');
    }
    return s;
}

} // namespace

QString legenda_exibida(int codigo, const Catalogo& catalogo) {
    if (codigo < 0 || codigo > 255) return QStringLiteral("<%1>").arg(codigo);
    const QString s = legenda_codigo(codigo, catalogo);
    // Only what can be seen is printed as it is: the code page leaves 129, 141, 143,
    // 144 and 157 as C1 controls (157 opens a terminal's command string), 160 is a
    // blank and 173 an invisible hyphen.
    bool visivel = false;
    for (const QChar ch : s) {
        if (!ch.isPrint()) return QStringLiteral("<%1>").arg(codigo);
        visivel = visivel || !ch.isSpace();
    }
    return visivel || s.isEmpty() ? s : QStringLiteral("<%1>").arg(codigo);
}

QString layout_em_texto(const Layout& l, const Catalogo& c, Modelo m) {
    constexpr int LARGURA = 8;
    QString s;
    const auto celula = [](const QString& t) { return t.left(LARGURA - 1).leftJustified(LARGURA); };
    for (int r = 0; r < linhas(m); ++r) {
        const auto fecha = [&s](QString linha) {
            while (linha.endsWith(QLatin1Char(' ')))
                linha.chop(1);
            s += linha + QLatin1Char('\n');
        };
        QString cabecalho = QStringLiteral("      ");
        for (int col = 0; col < colunas(m); ++col)
            cabecalho += celula(QStringLiteral("[%1]").arg(tecla(r, col) + 1));
        fecha(cabecalho);
        for (int n = 1; n <= QTD_TABELAS; ++n) {
            QString linha = QStringLiteral("  T%1  ").arg(n);
            for (int col = 0; col < colunas(m); ++col)
                linha += celula(legenda_exibida(l.tabela(n)[tecla(r, col)], c));
            fecha(linha);
        }
        s += QLatin1Char('\n');
    }
    s += QStringLiteral("Sentinelas do leitor de cartão (caixas 1 a %1 da página LCM):\n").arg(QTD_TABELAS);
    for (const LinhaSentinela& st : LINHAS_SENTINELA) {
        QString linha = QStringLiteral("  %1:").arg(nome_da_linha(st)).leftJustified(32);
        // As the window's boxes show them (and the keyboard receives them): box 0 holds the
        // row's default where table 1 has 0.
        for (int caixa = 0; caixa < QTD_TABELAS; ++caixa)
            linha += QStringLiteral(" %1").arg(texto_sentinela(l, st.slot, caixa), 4);
        s += linha + QLatin1Char('\n');
    }
    const auto caixa = [](int v) {
        return v == 1   ? QStringLiteral("marcada")
               : v == 2 ? QStringLiteral("acinzentada")
                        : QStringLiteral("desmarcada");
    };
    s += QStringLiteral("\nOpções:\n");
    for (std::size_t o = 0; o < OPCOES_LAYOUT.size(); ++o)
        s +=
            QStringLiteral("  %1: %2\n").arg(QString::fromUtf8(OPCOES_LAYOUT[o].legenda), caixa(l.caixas[o]));
    s += QStringLiteral("  Byte de opções enviado ao teclado: 0x%1\n")
             .arg(QString::number(byte_opcoes(l.caixas), 16).toUpper().rightJustified(2, QLatin1Char('0')));
    return s;
}

QString layout_em_csv(const Layout& l, const Catalogo& c, Modelo m) {
    QString s = QStringLiteral("tecla,linha,coluna,") + colunas_das_tabelas() + QLatin1Char('\n');
    for (int r = 0; r < linhas(m); ++r) {
        for (int col = 0; col < colunas(m); ++col) {
            const int k = tecla(r, col);
            QStringList campos = {QString::number(k + 1), QString::number(r + 1), QString::number(col + 1)};
            for (int n = 1; n <= QTD_TABELAS; ++n)
                campos << QString::number(l.tabela(n)[k]);
            for (int n = 1; n <= QTD_TABELAS; ++n)
                campos << csvCampo(legenda_exibida(l.tabela(n)[k], c));
            s += campos.join(QLatin1Char(',')) + QLatin1Char('\n');
        }
    }
    return s;
}

QString sentinelas_em_csv(const Layout& l, const Catalogo& c) {
    QString s = QStringLiteral("entrada,trilha,campo,") + colunas_das_tabelas() + QLatin1Char('\n');
    for (const LinhaSentinela& st : LINHAS_SENTINELA) {
        QStringList campos = {QString::number(st.slot), QString::number(st.trilha),
                              QString::fromLatin1(st.campo)};
        // What the keyboard receives: box 0 holds the row's default where table 1 has 0.
        std::array<int, QTD_TABELAS> v{};
        for (int caixa = 0; caixa < QTD_TABELAS; ++caixa)
            v[size_t(caixa)] = texto_sentinela(l, st.slot, caixa).toInt();
        for (int x : v)
            campos << QString::number(x);
        for (int x : v)
            campos << csvCampo(legenda_exibida(x, c));
        s += campos.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return s;
}

namespace {

constexpr double MARGEM_MM = 10.0;
constexpr double MARCA_MM = 4.0; // length of a cut mark, outside the grid

// Draws the grid of cells with its cut marks; `mm` converts millimetres to device units.
struct Bloco {
    int primeiraLinha;
    int qtdLinhas;
    int primeiraColuna;
    int qtdColunas;
};

constexpr double PONTO_MM = 25.4 / 72; // one typographic point
constexpr double MINIMO_PT = 5;        // smallest caption that stays legible

// Captions too long for their line even at the smallest size, each with its marker
// ("*1") and the keys that carry it, listed in full under the grid.
struct Notas {
    struct Nota {
        QString marca, legenda;
        QList<int> teclas; // numbered from 1, in the order met
    };
    QList<Nota> lista;
    QString marca(const QString& legenda, int tecla) {
        for (Nota& n : lista)
            if (n.legenda == legenda) {
                if (!n.teclas.contains(tecla)) n.teclas << tecla;
                return n.marca;
            }
        lista.append({QStringLiteral("*%1").arg(lista.size() + 1), legenda, {tecla}});
        return lista.last().marca;
    }
    // "*1 Back SP (teclas 1-13, 15)"
    static QString texto(const Nota& n) {
        QList<int> t = n.teclas;
        std::sort(t.begin(), t.end());
        QStringList faixas;
        for (qsizetype i = 0; i < t.size();) {
            qsizetype j = i;
            while (j + 1 < t.size() && t[j + 1] == t[j] + 1)
                ++j;
            faixas << (j == i ? QString::number(t[i]) : QStringLiteral("%1-%2").arg(t[i]).arg(t[j]));
            i = j + 1;
        }
        return QStringLiteral("%1 %2 (%3 %4)")
            .arg(n.marca, n.legenda, t.size() == 1 ? QStringLiteral("tecla") : QStringLiteral("teclas"),
                 faixas.join(QStringLiteral(", ")));
    }
};

// Each table on its own line of the cell, table 1 on top in bold, so that an empty
// table leaves its line empty and the others keep theirs. A caption is shrunk to
// fit its line, never below MINIMO_PT; below that it is cut and marked. Without a
// painter only the notes are gathered.
void desenhaLegendas(QPainter* p, const Layout& l, const Catalogo& c, const FolhaLegenda& f, double mm,
                     const Bloco& b, QPointF origem, Notas& notas) {
    const double passo = f.passoMm * mm;
    const double minimo = MINIMO_PT * PONTO_MM * mm;
    if (p) p->setPen(Qt::black);
    for (int r = 0; r < b.qtdLinhas; ++r) {
        for (int col = 0; col < b.qtdColunas; ++col) {
            const int k = tecla(b.primeiraLinha + r, b.primeiraColuna + col);
            const QRectF celula(origem.x() + col * passo, origem.y() + r * passo, passo, passo);
            const QRectF interior = celula.adjusted(passo * 0.06, passo * 0.06, -passo * 0.06, -passo * 0.06);
            const double faixa = interior.height() / QTD_TABELAS;
            for (int n = 1; n <= QTD_TABELAS; ++n) {
                QString texto = legenda_exibida(l.tabela(n)[k], c);
                if (texto.isEmpty()) continue;
                QFont fonte(QStringLiteral("Liberation Sans"));
                fonte.setBold(n == 1);
                double px = qMax(minimo, faixa * 0.85);
                fonte.setPixelSize(qMax(1, int(px)));
                const double largura = QFontMetricsF(fonte).horizontalAdvance(texto) * 1.03;
                if (largura > interior.width()) px = qMax(minimo, px * interior.width() / largura);
                fonte.setPixelSize(qMax(1, int(px)));
                const QFontMetricsF fm(fonte);
                if (fm.horizontalAdvance(texto) * 1.03 > interior.width()) {
                    const QString m = notas.marca(texto, k + 1);
                    QString corte = texto;
                    while (!corte.isEmpty() && fm.horizontalAdvance(corte + m) * 1.03 > interior.width())
                        corte.chop(1);
                    texto = corte + m;
                }
                if (!p) continue;
                p->setFont(fonte);
                p->drawText(
                    QRectF(interior.left(), interior.top() + (n - 1) * faixa, interior.width(), faixa),
                    Qt::AlignCenter, texto);
            }
        }
    }
}

void desenhaFolha(QPainter& p, const Layout& l, const Catalogo& c, const FolhaLegenda& f, double mm,
                  const Bloco& b) {
    Notas notas;
    const int cols = b.qtdColunas;
    const int qtdLinhas = b.qtdLinhas;
    const double passo = f.passoMm * mm;
    const QPointF origem((MARGEM_MM + MARCA_MM) * mm, (MARGEM_MM + MARCA_MM) * mm);
    p.setPen(QPen(Qt::black, qMax(1.0, 0.1 * mm)));
    // Cut marks on every cell boundary, outside the grid.
    const double marca = MARCA_MM * mm;
    const double largura = cols * passo;
    const double altura = qtdLinhas * passo;
    for (int col = 0; col <= cols; ++col) {
        const double x = origem.x() + col * passo;
        p.drawLine(QPointF(x, origem.y() - marca), QPointF(x, origem.y() - marca / 4));
        p.drawLine(QPointF(x, origem.y() + altura + marca / 4), QPointF(x, origem.y() + altura + marca));
    }
    for (int r = 0; r <= qtdLinhas; ++r) {
        const double y = origem.y() + r * passo;
        p.drawLine(QPointF(origem.x() - marca, y), QPointF(origem.x() - marca / 4, y));
        p.drawLine(QPointF(origem.x() + largura + marca / 4, y), QPointF(origem.x() + largura + marca, y));
    }
    // Light cell outlines, to cut along.
    p.setPen(QPen(QColor(170, 170, 170), qMax(1.0, 0.05 * mm), Qt::DashLine));
    p.drawRect(QRectF(origem, QSizeF(largura, altura)));
    for (int col = 1; col < cols; ++col)
        p.drawLine(QPointF(origem.x() + col * passo, origem.y()),
                   QPointF(origem.x() + col * passo, origem.y() + altura));
    for (int r = 1; r < qtdLinhas; ++r)
        p.drawLine(QPointF(origem.x(), origem.y() + r * passo),
                   QPointF(origem.x() + largura, origem.y() + r * passo));

    desenhaLegendas(&p, l, c, f, mm, b, origem, notas);
    // What the four lines of a cell are, and the full captions that had to be cut.
    QFont nota(QStringLiteral("Liberation Sans"));
    nota.setPixelSize(qMax(1, int(PONTO_MM * 7 * mm)));
    p.setFont(nota);
    p.setPen(Qt::black);
    const double y0 = origem.y() + altura + marca + 2 * mm;
    const double linha = PONTO_MM * 9 * mm;
    QStringList tabelas{QStringLiteral("1 (negrito)")};
    for (int n = 2; n <= QTD_TABELAS; ++n)
        tabelas << QString::number(n);
    const QString ultima = tabelas.takeLast();
    p.drawText(QRectF(origem.x(), y0, 200 * mm, linha), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Linhas de cada tecla: tabelas %1 e %2.")
                   .arg(tabelas.join(QStringLiteral(", ")), ultima));
    const int porColuna = qMax(1, int((altura + 2 * MARGEM_MM * mm) / linha));
    double coluna = 44 * mm; // as wide as the widest note
    for (const Notas::Nota& n : notas.lista)
        coluna = qMax(coluna, QFontMetricsF(nota).horizontalAdvance(Notas::texto(n)));
    for (qsizetype i = 0; i < notas.lista.size(); ++i) {
        const QPointF canto(origem.x() + double(i / porColuna) * (coluna + mm),
                            y0 + double(1 + i % porColuna) * linha);
        p.drawText(QRectF(canto, QSizeF(coluna, linha)), Qt::AlignLeft | Qt::AlignVCenter,
                   Notas::texto(notas.lista[i]));
    }
}

// Why the sheet could not be written to `caminho`, in words, rather than Qt's text
// alone.
QString motivo_de_falha(const QString& caminho, const QString& textoQt) {
    const QFileInfo info(caminho);
    const QFileInfo pasta(info.absolutePath());
    if (info.isDir()) return QStringLiteral("é uma pasta, não um arquivo");
    // A folder that cannot be reached is not a missing one.
    std::error_code erro;
    (void)std::filesystem::status(QFile::encodeName(pasta.filePath()).toStdString(), erro);
    if (erro == std::errc::permission_denied)
        return QStringLiteral("sem permissão para entrar na pasta %1").arg(pasta.filePath());
    if (!pasta.isDir()) return QStringLiteral("a pasta %1 não existe").arg(pasta.filePath());
    if (!pasta.isWritable())
        return QStringLiteral("sem permissão para gravar na pasta %1").arg(pasta.filePath());
    if (info.exists() && !info.isWritable()) return QStringLiteral("sem permissão para gravar o arquivo");
    return QStringLiteral("não foi possível gravar o arquivo (%1)").arg(textoQt);
}

} // namespace

QString grava_legenda(const QString& caminho, const Layout& l, const Catalogo& c, const FolhaLegenda& f) {
    if (!(f.passoMm >= 5.0 && f.passoMm <= 60.0)) return QStringLiteral("passo fora da faixa de 5 a 60 mm");
    const QString ext = QFileInfo(caminho).suffix().toLower();
    const int cols = colunas(f.modelo);
    const int lins = linhas(f.modelo);
    const double extraMm = 2 * (MARGEM_MM + MARCA_MM);
    if (ext == QLatin1String("pdf")) {
        // A4, in the orientation that needs the fewest pages; a grid larger than a page
        // is tiled over several, whole keys on each.
        const auto porPagina = [&](double larguraMm, double alturaMm) {
            return std::pair<int, int>(qMax(1, int((alturaMm - extraMm) / f.passoMm)),
                                       qMax(1, int((larguraMm - extraMm) / f.passoMm)));
        };
        const auto paginas = [&](std::pair<int, int> pp) {
            return ((lins + pp.first - 1) / pp.first) * ((cols + pp.second - 1) / pp.second);
        };
        const auto retrato = porPagina(210.0, 297.0);
        const auto paisagem = porPagina(297.0, 210.0);
        const bool emPaisagem = paginas(paisagem) < paginas(retrato);
        const auto [linhasPorPagina, colunasPorPagina] = emPaisagem ? paisagem : retrato;
        QSaveFile arquivo(caminho);
        if (!arquivo.open(QIODevice::WriteOnly)) return motivo_de_falha(caminho, arquivo.errorString());
        QPdfWriter pdf(&arquivo);
        pdf.setResolution(600);
        pdf.setTitle(QStringLiteral("Legendas do teclado"));
        pdf.setCreator(QStringLiteral("vantora-prog"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      emPaisagem ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0)));
        const double mm = pdf.resolution() / 25.4;
        QPainter p;
        if (!p.begin(&pdf)) return QStringLiteral("não foi possível criar o arquivo");
        bool primeira = true;
        for (int r = 0; r < lins; r += linhasPorPagina) {
            for (int col = 0; col < cols; col += colunasPorPagina) {
                if (!primeira) pdf.newPage();
                primeira = false;
                desenhaFolha(p, l, c, f, mm,
                             {r, qMin(linhasPorPagina, lins - r), col, qMin(colunasPorPagina, cols - col)});
            }
        }
        if (!p.end() || !arquivo.commit()) return motivo_de_falha(caminho, arquivo.errorString());
        return {};
    }
    if (ext == QLatin1String("png")) {
        constexpr double DPI = 300.0;
        const double mm = DPI / 25.4;
        Notas notas;
        desenhaLegendas(nullptr, l, c, f, mm, {0, lins, 0, cols}, {}, notas);
        const double alturaGrade = lins * f.passoMm;
        const qsizetype porColuna = qMax(1, int((alturaGrade + 2 * MARGEM_MM) / (PONTO_MM * 9)));
        const double notasMm =
            notas.lista.isEmpty() ? 0 : double(qMin(porColuna, notas.lista.size()) + 1) * PONTO_MM * 9;
        QImage img(QSize(int((cols * f.passoMm + extraMm) * mm + 0.5),
                         int((alturaGrade + extraMm + notasMm) * mm + 0.5)),
                   QImage::Format_RGB32);
        img.setDotsPerMeterX(int(DPI / 0.0254 + 0.5));
        img.setDotsPerMeterY(int(DPI / 0.0254 + 0.5));
        img.fill(Qt::white);
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            desenhaFolha(p, l, c, f, mm, {0, lins, 0, cols});
        }
        QSaveFile arquivo(caminho);
        if (!arquivo.open(QIODevice::WriteOnly) || !img.save(&arquivo, "PNG") || !arquivo.commit())
            return motivo_de_falha(caminho, arquivo.errorString());
        return {};
    }
    return QStringLiteral("formato desconhecido: use a extensão .pdf ou .png");
}

} // namespace vantora
