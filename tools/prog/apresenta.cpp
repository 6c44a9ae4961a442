#include "apresenta.h"

#include "link/protocolo.h"
#include "base/erro.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QSaveFile>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantora {

namespace {
// The caption the sheet and the text show of a code.
QString exibida(int codigo, const Catalogo& c) {
    return QString::fromStdString(legenda_exibida(codigo, c));
}

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

// Length of the UTF-8 sequence at b[i], 0 when none starts there.
qsizetype sequencia_utf8(QByteArrayView b, qsizetype i) {
    const auto c = uchar(b[i]);
    if (c < 0x80) return 1;
    qsizetype n = 0;
    char32_t minimo = 0;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2, minimo = 0x80;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3, minimo = 0x800;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4, minimo = 0x10000;
    else
        return 0;
    if (i + n > b.size()) return 0;
    char32_t v = c & (0x7F >> n);
    for (qsizetype k = 1; k < n; ++k) {
        const auto d = uchar(b[i + k]);
        if ((d & 0xC0) != 0x80) return 0;
        v = (v << 6) | (d & 0x3F);
    }
    return v < minimo || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF) ? 0 : n;
}

// A byte kept by nome_do_argumento: a low surrogate with no high one before it.
int byte_solto(const QString& s, qsizetype i) {
    const char16_t u = s[i].unicode();
    if (u < 0xDC80 || u > 0xDCFF || (i > 0 && s[i - 1].isHighSurrogate())) return -1;
    return u - 0xDC00;
}

} // namespace

QString visivel(const QString& texto) {
    QString r;
    r.reserve(texto.size());
    const auto hexa = [](QChar c) { return std::isxdigit(static_cast<unsigned char>(c.toLatin1())) != 0; };
    const auto escape = [&r](int byte) {
        r += QStringLiteral("\\x") + QString::number(byte, 16).rightJustified(2, QLatin1Char('0'));
    };
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto[i];
        const char16_t u = c.unicode();
        if (const int b = byte_solto(texto, i); b >= 0)
            escape(b);
        else if (c.isLowSurrogate()
                     ? i == 0 || !texto[i - 1].isHighSurrogate()
                     : c.isHighSurrogate() && (i + 1 == texto.size() || !texto[i + 1].isLowSurrogate()))
            r += QChar::ReplacementCharacter; // half a character: nothing a terminal can show
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            escape(u);
        else if (u == u'\\' && i + 3 < texto.size() && texto[i + 1] == QLatin1Char('x') &&
                 hexa(texto[i + 2]) && hexa(texto[i + 3]))
            escape(u); // a backslash that reads as an escape
        else
            r += c;
    }
    return r;
}

QString nome_do_argumento(QByteArrayView bytes) {
    QString r;
    for (qsizetype i = 0; i < bytes.size();) {
        qsizetype j = i;
        for (qsizetype n; j < bytes.size() && (n = sequencia_utf8(bytes, j)) > 0;)
            j += n;
        r += QString::fromUtf8(bytes.sliced(i, j - i));
        if (j < bytes.size()) r += QChar(char16_t(0xDC00 + uchar(bytes[j++])));
        i = j;
    }
    return r;
}

bool tem_bytes_soltos(const QString& nome) {
    for (qsizetype i = 0; i < nome.size(); ++i)
        if (byte_solto(nome, i) >= 0) return true;
    return false;
}

QByteArray nome_no_sistema(const QString& nome) {
    if (!tem_bytes_soltos(nome)) return QFile::encodeName(nome);
    QByteArray r;
    qsizetype inicio = 0;
    for (qsizetype i = 0; i < nome.size(); ++i) {
        const int b = byte_solto(nome, i);
        if (b < 0) continue;
        r += QStringView(nome).sliced(inicio, i - inicio).toUtf8();
        r += char(b);
        inicio = i + 1;
    }
    return r + QStringView(nome).sliced(inicio).toUtf8();
}

QString layout_em_texto(const Layout& l, const Catalogo& c, Modelo m) {
    // Captions are cut to the cell; a code shown as <value> never is ("<-32768>"): the
    // cells widen to the longest.
    int largura = 8;
    for (int k = 0; k < QTD_TECLAS; ++k)
        for (int n = 1; n <= QTD_TABELAS; ++n)
            if (const int v = l.tabela(n)[k];
                no_modelo(m, k) && exibida(v, c) == QStringLiteral("<%1>").arg(v))
                largura = qMax(largura, int(exibida(v, c).size()) + 1);
    QString s;
    const auto celula = [largura](const QString& t) { return t.left(largura - 1).leftJustified(largura); };
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
                linha += celula(exibida(l.tabela(n)[tecla(r, col)], c));
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
            linha += QStringLiteral(" %1").arg(QString::fromStdString(texto_sentinela(l, st.slot, caixa)), 4);
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
                campos << csvCampo(exibida(l.tabela(n)[k], c));
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
            v[size_t(caixa)] = std::stoi(texto_sentinela(l, st.slot, caixa));
        for (int x : v)
            campos << QString::number(x);
        for (int x : v)
            campos << csvCampo(exibida(x, c));
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

// The sheet's sans-serif: Liberation Sans where it is installed, else Arial, whose
// widths it shares (every Windows has it), else the system's sans-serif.
QFont fonte_da_folha() {
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    f.setStyleHint(QFont::SansSerif);
    return f;
}

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
                QString texto = exibida(l.tabela(n)[k], c);
                if (texto.isEmpty()) continue;
                QFont fonte = fonte_da_folha();
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
    QFont nota = fonte_da_folha();
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

#ifdef Q_OS_UNIX
// Why the system refused to write in `pasta`, in the words of motivo_de_falha.
QString motivo_do_sistema(int erro, const QByteArray& pasta) {
    const QString nome = nome_do_argumento(pasta);
    if (erro == EACCES || erro == EPERM || erro == EROFS)
        return QStringLiteral("sem permissão para gravar na pasta %1").arg(nome);
    if (erro == ENOENT || erro == ENOTDIR) return QStringLiteral("a pasta %1 não existe").arg(nome);
    if (erro == ENOSPC) return QStringLiteral("sem espaço no dispositivo");
    return QStringLiteral("não foi possível gravar o arquivo (%1)")
        .arg(QString::fromLocal8Bit(std::strerror(erro)));
}

// What QSaveFile does, for a name Qt cannot reach (bytes that are no UTF-8): a
// temporary file beside the one a link leads to, renamed over it once whole, with
// the permissions of the file it replaces.
QString grava_pelo_sistema(const QByteArray& nome, const QByteArray& dados, const struct stat* existente) {
    QByteArray destino = nome;
    if (existente) {
        if (char* real = ::realpath(nome.constData(), nullptr)) {
            destino = real;
            std::free(real);
        }
    }
    const qsizetype barra = destino.lastIndexOf('/');
    const QByteArray pasta = barra < 0 ? QByteArray(".") : barra == 0 ? QByteArray("/") : destino.left(barra);
    const QByteArray base = destino.mid(barra + 1);
    const int dir = ::open(pasta.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return motivo_do_sistema(errno, pasta);
    QByteArray temporario;
    int fd = -1;
    for (int tentativa = 0; fd < 0 && tentativa < 100; ++tentativa) {
        temporario = ".vantora-prog-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        fd = ::openat(dir, temporario.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    int erro = fd < 0 ? errno : 0;
    if (fd >= 0) {
        if (existente && ::fchmod(fd, existente->st_mode & 07777) != 0) erro = errno;
        for (qsizetype feito = 0; erro == 0 && feito < dados.size();) {
            const ssize_t n = ::write(fd, dados.constData() + feito, size_t(dados.size() - feito));
            if (n > 0)
                feito += n;
            else if (n == 0 || errno != EINTR)
                erro = n == 0 ? EIO : errno;
        }
        if (::close(fd) != 0 && erro == 0) erro = errno;
        if (erro == 0 && ::renameat(dir, temporario.constData(), dir, base.constData()) != 0) erro = errno;
        if (erro != 0) ::unlinkat(dir, temporario.constData(), 0);
    }
    ::close(dir);
    return erro == 0 ? QString() : motivo_do_sistema(erro, pasta);
}
#endif

// Replaces the file `caminho` with `dados`, whole or not at all. What is no regular
// file (a folder, a pipe, a device, and a link to one) is left alone; a link to a
// regular file has that file replaced, as a save does.
QString grava_arquivo(const QString& caminho, const QByteArray& dados) {
#ifdef Q_OS_UNIX
    const QByteArray nome = nome_no_sistema(caminho);
    struct stat st {};
    const bool existe = ::lstat(nome.constData(), &st) == 0;
    if (existe) {
        const bool atalho = S_ISLNK(st.st_mode);
        if (::stat(nome.constData(), &st) != 0) return QStringLiteral("o atalho não leva a um arquivo");
        if (S_ISDIR(st.st_mode)) return QStringLiteral("é uma pasta, não um arquivo");
        if (!S_ISREG(st.st_mode))
            return atalho ? QStringLiteral("o atalho não leva a um arquivo comum")
                          : QStringLiteral("não é um arquivo comum");
    }
    if (tem_bytes_soltos(caminho)) return grava_pelo_sistema(nome, dados, existe ? &st : nullptr);
#else
    const QFileInfo info(caminho);
    if (info.isDir()) return QStringLiteral("é uma pasta, não um arquivo");
    if (info.isSymLink() && !info.exists()) return QStringLiteral("o atalho não leva a um arquivo");
    if (info.exists() && !info.isFile()) return QStringLiteral("não é um arquivo comum");
#endif
    QSaveFile arquivo(caminho);
    if (!arquivo.open(QIODevice::WriteOnly) || arquivo.write(dados) != dados.size() || !arquivo.commit())
        return motivo_de_falha(caminho, arquivo.errorString());
    return {};
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
        QBuffer folhas;
        folhas.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&folhas);
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
        if (!p.end()) return QStringLiteral("não foi possível criar o arquivo");
        return grava_arquivo(caminho, folhas.data());
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
        QBuffer folha;
        folha.open(QIODevice::WriteOnly);
        if (!img.save(&folha, "PNG")) return QStringLiteral("não foi possível criar o arquivo");
        return grava_arquivo(caminho, folha.data());
    }
    return QStringLiteral("formato desconhecido: use a extensão .pdf ou .png");
}

} // namespace vantora
