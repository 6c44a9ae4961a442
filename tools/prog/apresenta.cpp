#include "apresenta.h"

#include "link/protocolo.h"
#include "shell/erro.h"

#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace vantora {

namespace {

struct Sentinela {
    int slot;
    const char* nome;
};
constexpr std::array<Sentinela, 6> SENTINELAS = {{{66, "Trilha 2, sentinela inicial"},
                                                  {67, "Trilha 2, sentinela final"},
                                                  {68, "Trilha 2, erro de leitura"},
                                                  {69, "Trilha 3, sentinela inicial"},
                                                  {70, "Trilha 3, sentinela final"},
                                                  {71, "Trilha 3, erro de leitura"}}};

int tecla(int linha, int coluna) {
    return linha * 13 + coluna;
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
    return legenda_codigo(codigo, catalogo);
}

QString layout_em_texto(const LayoutApresentado& l, const Catalogo& c, Modelo m) {
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
            cabecalho += celula(QStringLiteral("[%1]").arg(tecla(r, col)));
        fecha(cabecalho);
        for (int n = 1; n <= 4; ++n) {
            QString linha = QStringLiteral("  T%1  ").arg(n);
            for (int col = 0; col < colunas(m); ++col)
                linha += celula(legenda_exibida(l.codigos.tabela(n)[tecla(r, col)], c));
            fecha(linha);
        }
        s += QLatin1Char('\n');
    }
    s += QStringLiteral("Sentinelas do leitor de cartão (caixas 1 a 4 da página LCM):\n");
    for (const Sentinela& st : SENTINELAS) {
        QString linha = QStringLiteral("  %1:").arg(QString::fromUtf8(st.nome)).leftJustified(32);
        // As the window's boxes show them (and the keyboard receives them): box 0 holds the
        // row's default where table 1 has 0.
        for (int caixa = 0; caixa < 4; ++caixa)
            linha += QStringLiteral(" %1").arg(texto_sentinela(l.codigos, st.slot, caixa), 4);
        s += linha + QLatin1Char('\n');
    }
    const auto caixa = [](int v) {
        return v == 1   ? QStringLiteral("marcada")
               : v == 2 ? QStringLiteral("acinzentada")
                        : QStringLiteral("desmarcada");
    };
    s += QStringLiteral("\nOpções:\n");
    s += QStringLiteral("  Autoriza modificar layout por outro protocolo: %1\n").arg(caixa(l.opcoes[0]));
    s += QStringLiteral("  Ativa protocolo Display Norva Serial: %1\n").arg(caixa(l.opcoes[1]));
    s += QStringLiteral("  Ativa protocolo Display BNC: %1\n").arg(caixa(l.opcoes[2]));
    s += QStringLiteral("  Byte de opções enviado ao teclado: 0x%1\n")
             .arg(QString::number(byte_opcoes(l.opcoes[0], l.opcoes[1], l.opcoes[2]), 16)
                      .toUpper()
                      .rightJustified(2, QLatin1Char('0')));
    return s;
}

QString layout_em_csv(const LayoutApresentado& l, const Catalogo& c, Modelo m) {
    QString s = QStringLiteral(
        "tecla,linha,coluna,codigo1,codigo2,codigo3,codigo4,legenda1,legenda2,legenda3,legenda4\n");
    for (int r = 0; r < linhas(m); ++r) {
        for (int col = 0; col < colunas(m); ++col) {
            const int k = tecla(r, col);
            QStringList campos = {QString::number(k), QString::number(r), QString::number(col)};
            for (int n = 1; n <= 4; ++n)
                campos << QString::number(l.codigos.tabela(n)[k]);
            for (int n = 1; n <= 4; ++n)
                campos << csvCampo(legenda_exibida(l.codigos.tabela(n)[k], c));
            s += campos.join(QLatin1Char(',')) + QLatin1Char('\n');
        }
    }
    for (const Sentinela& st : SENTINELAS) {
        QStringList campos = {csvCampo(QString::fromUtf8(st.nome)), QString(), QString()};
        for (int n = 1; n <= 4; ++n)
            campos << QString::number(l.codigos.tabela(n)[st.slot]);
        for (int n = 1; n <= 4; ++n)
            campos << QString();
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

void desenhaFolha(QPainter& p, const LayoutApresentado& l, const Catalogo& c, const FolhaLegenda& f,
                  double mm, const Bloco& b) {
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

    // Captions: table 1 large in the middle, tables 2 to 4 smaller beneath it.
    QFont grande(QStringLiteral("Liberation Sans"));
    grande.setPixelSize(qMax(1, int(passo * 0.26)));
    grande.setBold(true);
    QFont pequena(QStringLiteral("Liberation Sans"));
    pequena.setPixelSize(qMax(1, int(passo * 0.14)));
    p.setPen(Qt::black);
    for (int r = 0; r < qtdLinhas; ++r) {
        for (int col = 0; col < cols; ++col) {
            const int k = tecla(b.primeiraLinha + r, b.primeiraColuna + col);
            const QRectF celula(origem.x() + col * passo, origem.y() + r * passo, passo, passo);
            const QRectF interior = celula.adjusted(passo * 0.06, passo * 0.06, -passo * 0.06, -passo * 0.06);
            p.setFont(grande);
            p.drawText(QRectF(interior.left(), interior.top(), interior.width(), interior.height() * 0.55),
                       Qt::AlignCenter | Qt::TextWordWrap, legenda_exibida(l.codigos.Codigos_Tab1[k], c));
            QStringList resto;
            for (int n = 2; n <= 4; ++n)
                resto << legenda_exibida(l.codigos.tabela(n)[k], c);
            while (!resto.isEmpty() && resto.last().isEmpty())
                resto.removeLast();
            p.setFont(pequena);
            p.drawText(QRectF(interior.left(), interior.top() + interior.height() * 0.55, interior.width(),
                              interior.height() * 0.45),
                       Qt::AlignCenter, resto.join(QLatin1Char(' ')));
        }
    }
}

} // namespace

QString grava_legenda(const QString& caminho, const LayoutApresentado& l, const Catalogo& c,
                      const FolhaLegenda& f) {
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
        QPdfWriter pdf(caminho);
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
        if (!p.end()) return QStringLiteral("falha ao gravar o arquivo");
        return {};
    }
    if (ext == QLatin1String("png")) {
        constexpr double DPI = 300.0;
        const double mm = DPI / 25.4;
        QImage img(
            QSize(int((cols * f.passoMm + extraMm) * mm + 0.5), int((lins * f.passoMm + extraMm) * mm + 0.5)),
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
        if (!img.save(caminho, "PNG")) return QStringLiteral("não foi possível gravar o arquivo");
        return {};
    }
    return QStringLiteral("formato desconhecido: use a extensão .pdf ou .png");
}

} // namespace vantora
