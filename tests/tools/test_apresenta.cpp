// A layout as text, as CSV and as a printable legend sheet.
#include "apresenta.h"

#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace vantora;

namespace {
LayoutApresentado exemplo() {
    LayoutApresentado l;
    l.codigos.Codigos_Tab1[0] = 65;  // A
    l.codigos.Codigos_Tab1[12] = 1;  // SOH
    l.codigos.Codigos_Tab1[64] = 13; // CR
    l.codigos.Codigos_Tab2[0] = 48;  // 0
    l.codigos.Codigos_Tab1[13] = 44; // a comma, for the CSV quoting
    l.codigos.Codigos_Tab3[5] = 300; // out of range: shown, never hidden
    l.codigos.Codigos_Tab1[66] = 37;
    l.codigos.Codigos_Tab1[67] = 63;
    l.opcoes = {1, 1, 0};
    return l;
}
} // namespace

class TesteApresenta : public QObject {
    Q_OBJECT
    Catalogo cat;

  private slots:
    void initTestCase() { cat.preenche(); }

    void texto() {
        const QString t = layout_em_texto(exemplo(), cat, Modelo::Teclas65);
        const QStringList linhas = t.split(QLatin1Char('\n'));
        QVERIFY(linhas[0].contains(QStringLiteral("[1]")));
        QVERIFY(linhas[0].contains(QStringLiteral("[13]")));
        QVERIFY(linhas[1].startsWith(QStringLiteral("  T1  A")));
        QVERIFY(linhas[1].endsWith(QStringLiteral("SOH")));
        QVERIFY(linhas[2].startsWith(QStringLiteral("  T2  0")));
        QVERIFY(linhas[3].contains(QStringLiteral("<300>")));
        QVERIFY(t.contains(QStringLiteral("[65]")));
        QVERIFY(t.contains(QStringLiteral("CR")));
        QVERIFY(t.contains(QStringLiteral("Trilha 2, sentinela inicial:")));
        QVERIFY(t.contains(QStringLiteral("Byte de opções enviado ao teclado: 0x02")));
        const QString t44 = layout_em_texto(exemplo(), cat, Modelo::Teclas44);
        QVERIFY(!t44.contains(QStringLiteral("[13]")));
        QVERIFY(!t44.contains(QStringLiteral("[65]")));
        QVERIFY(t44.contains(QStringLiteral("[50]")));
    }

    void csv() {
        const QStringList linhas =
            layout_em_csv(exemplo(), cat, Modelo::Teclas65).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(linhas.size(), 1 + 65);
        QCOMPARE(linhas[1], QStringLiteral("1,1,1,65,48,0,0,A,0,,"));
        QCOMPARE(linhas[14], QStringLiteral("14,2,1,44,0,0,0,\",\",,,"));
        QCOMPARE(layout_em_csv(exemplo(), cat, Modelo::Teclas44)
                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                     .size(),
                 1 + 44);
    }

    void legenda_pdf() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("l.pdf"));
        QCOMPARE(grava_legenda(pdf, exemplo(), cat, {}), QString());
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        QVERIFY(b.startsWith("%PDF"));
        // One A4 landscape page holds 5 rows of 13 keys at 19.05 mm.
        QCOMPARE(b.count("/Type /Page\n") + b.count("/Type /Page\r") + b.count("/Type /Page "), 1);
        QRegularExpression caixa(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
        const auto m = caixa.match(QString::fromLatin1(b));
        QVERIFY(m.hasMatch());
        QCOMPARE(qRound(m.captured(1).toDouble()), 842);
        QCOMPARE(qRound(m.captured(2).toDouble()), 595);
        // A pitch too large for one page tiles the grid over several, whole keys on each:
        // at 40 mm a landscape A4 takes 6 columns by 4 rows, so 11 columns need 2 pages
        // (portrait, 4 by 6, would need 3).
        FolhaLegenda grande;
        grande.passoMm = 40;
        grande.modelo = Modelo::Teclas44;
        const QString pdf2 = dir.filePath(QStringLiteral("g.pdf"));
        QCOMPARE(grava_legenda(pdf2, exemplo(), cat, grande), QString());
        QFile f2(pdf2);
        QVERIFY(f2.open(QIODevice::ReadOnly));
        const QByteArray b2 = f2.readAll();
        QCOMPARE(b2.count("/Type /Page\n") + b2.count("/Type /Page\r") + b2.count("/Type /Page "), 2);
        FolhaLegenda absurda;
        absurda.passoMm = 0;
        QVERIFY(!grava_legenda(dir.filePath(QStringLiteral("x.pdf")), exemplo(), cat, absurda).isEmpty());
        QVERIFY(!grava_legenda(dir.filePath(QStringLiteral("x.txt")), exemplo(), cat, {}).isEmpty());
    }

    // The cut marks stand at every cell boundary, one pitch apart, at 300 dpi.
    void legenda_png() {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("l.png"));
        FolhaLegenda f;
        f.modelo = Modelo::Teclas44;
        QCOMPARE(grava_legenda(png, exemplo(), cat, f), QString());
        QImage img(png);
        QVERIFY(!img.isNull());
        const double mm = 300 / 25.4;
        QCOMPARE(img.width(), int((11 * 19.05 + 28) * mm + 0.5));
        QCOMPARE(img.height(), int((4 * 19.05 + 28) * mm + 0.5));
        const auto escuro = [&](double xmm, double ymm) {
            const QPoint p(int(xmm * mm), int(ymm * mm));
            for (int dx = -2; dx <= 2; ++dx)
                if (qGray(img.pixel(p + QPoint(dx, 0))) < 80) return true;
            return false;
        };
        for (int col = 0; col <= 11; ++col) {
            QVERIFY2(escuro(14 + col * 19.05, 11), qPrintable(QString::number(col))); // mark above the grid
            QVERIFY(!escuro(14 + col * 19.05 + 9.5, 11));                             // nothing between marks
        }
        // Key 0's caption "A" lies inside its cell: some dark pixels in the cell's upper half.
        int pretos = 0;
        for (int y = int((14 + 2) * mm); y < int((14 + 10) * mm); ++y)
            for (int x = int((14 + 2) * mm); x < int((14 + 17) * mm); ++x)
                pretos += qGray(img.pixel(x, y)) < 80;
        QVERIFY(pretos > 50);
    }
};

QTEST_MAIN(TesteApresenta)
#include "test_apresenta.moc"
