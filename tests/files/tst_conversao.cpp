// The whole-number conversion (strict) and the leading-number conversion (lenient)
// that read the codes of a layout file and the sentinel boxes.
#include "editor/conversao.h"
#include "shell/erro.h"

#include <QTest>

using namespace vantora;

namespace {

// Runs a conversion; gives the error number, 0 when it succeeded.
template <class F> int converte(F f, const QString& texto, int* valor) {
    try {
        *valor = f(texto);
        return 0;
    } catch (const ErroExecucao& e) {
        return e.numero();
    }
}

class TesteConversao : public QObject {
    Q_OBJECT
  private slots:
    void inteiro_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("esperado");
        QTest::addColumn<int>("erro");
        auto linha = [](const char* nome, const QString& texto, int esperado, int erro = 0) {
            QTest::newRow(nome) << texto << esperado << erro;
        };
        linha("zero", QStringLiteral("0"), 0);
        linha("simples", QStringLiteral("27"), 27);
        linha("negativo", QStringLiteral("-1"), -1);
        linha("mais", QStringLiteral("+3"), 3);
        linha("brancos em volta", QStringLiteral("  5  "), 5);
        linha("tabulacoes", QStringLiteral("\t7\t"), 7);
        linha("zeros a esquerda", QStringLiteral("0065"), 65);
        linha("12.5 arredonda para o par", QStringLiteral("12.5"), 12);
        linha("13.5 arredonda para o par", QStringLiteral("13.5"), 14);
        linha("-12.5", QStringLiteral("-12.5"), -12);
        linha("-13.5", QStringLiteral("-13.5"), -14);
        linha("0.5", QStringLiteral("0.5"), 0);
        linha("2.51", QStringLiteral("2.51"), 3);
        linha("-0.5", QStringLiteral("-.5"), 0);
        linha("ponto final", QStringLiteral("5."), 5);
        linha("expoente", QStringLiteral("1e3"), 1000);
        linha("expoente negativo", QStringLiteral("15e-1"), 2);
        linha("expoente minusculo demais", QStringLiteral("1e-400"), 0);
        linha("zero com expoente enorme", QStringLiteral("0e999"), 0);
        linha("E maiusculo minusculo demais", QStringLiteral("-1E-400"), 0);
        linha("&H41", QStringLiteral("&H41"), 65);
        linha("&h41 minusculo", QStringLiteral("&h41"), 65);
        linha("&HFFFF", QStringLiteral("&HFFFF"), -1);
        linha("&H7FFF", QStringLiteral("&H7FFF"), 32767);
        linha("&H8000", QStringLiteral("&H8000"), -32768);
        linha("&O17", QStringLiteral("&O17"), 8 + 7);
        linha("maximo", QStringLiteral("32767"), 32767);
        linha("minimo", QStringLiteral("-32768"), -32768);
        linha("-32768.5 par", QStringLiteral("-32768.5"), -32768);
        linha("40000", QStringLiteral("40000"), 0, ERRO_ESTOURO);
        linha("32768", QStringLiteral("32768"), 0, ERRO_ESTOURO);
        linha("-32769", QStringLiteral("-32769"), 0, ERRO_ESTOURO);
        linha("32767.5 arredonda para fora", QStringLiteral("32767.5"), 0, ERRO_ESTOURO);
        linha("1E5", QStringLiteral("1E5"), 0, ERRO_ESTOURO);
        linha("&H10000", QStringLiteral("&H10000"), 0, ERRO_ESTOURO);
        linha("&H longo demais", QStringLiteral("&H123456789"), 0, ERRO_ESTOURO);
        linha("400 digitos", QStringLiteral("1") + QString(400, QLatin1Char('0')), 0, ERRO_ESTOURO);
        linha("letras", QStringLiteral("abc"), 0, ERRO_TIPOS);
        linha("uma letra", QStringLiteral("A"), 0, ERRO_TIPOS);
        linha("vazio", QString(), 0, ERRO_TIPOS);
        linha("um branco", QStringLiteral(" "), 0, ERRO_TIPOS);
        linha("numero e letra", QStringLiteral("12a"), 0, ERRO_TIPOS);
        linha("branco no meio", QStringLiteral("1 2"), 0, ERRO_TIPOS);
        linha("dois sinais", QStringLiteral("--1"), 0, ERRO_TIPOS);
        linha("so o ponto", QStringLiteral("."), 0, ERRO_TIPOS);
        linha("so o sinal", QStringLiteral("-"), 0, ERRO_TIPOS);
        linha("&H sem digitos", QStringLiteral("&H"), 0, ERRO_TIPOS);
        linha("&HG", QStringLiteral("&HG"), 0, ERRO_TIPOS);
        linha("&H41 e lixo", QStringLiteral("&H41x"), 0, ERRO_TIPOS);
        linha("digito arabe", QString(QChar(0x0661)), 0, ERRO_TIPOS);
    }
    void inteiro() {
        QFETCH(QString, texto);
        QFETCH(int, esperado);
        QFETCH(int, erro);
        int valor = 12345;
        QCOMPARE(converte(converte_inteiro, texto, &valor), erro);
        if (erro == 0) QCOMPARE(valor, esperado);
    }

    void inicial_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("esperado");
        QTest::addColumn<int>("erro");
        auto linha = [](const char* nome, const QString& texto, int esperado, int erro = 0) {
            QTest::newRow(nome) << texto << esperado << erro;
        };
        linha("simples", QStringLiteral("65"), 65);
        linha("numero e letras", QStringLiteral("12abc"), 12);
        linha("letras", QStringLiteral("abc"), 0);
        linha("vazio", QString(), 0);
        linha("um branco", QStringLiteral(" "), 0);
        linha("brancos e sinal", QStringLiteral("  -7x"), -7);
        linha("brancos no meio contam como nada", QStringLiteral("1 2"), 12);
        linha("12.5", QStringLiteral("12.5"), 12);
        linha("13.5", QStringLiteral("13.5"), 14);
        linha("dois pontos", QStringLiteral("1.5.5"), 2);
        linha("&H41", QStringLiteral("&H41"), 65);
        linha("&H41 e lixo", QStringLiteral("&H41zz"), 65);
        linha("&H sem digitos", QStringLiteral("&Hzz"), 0);
        linha("-2", QStringLiteral("-2"), -2);
        linha("expoente e lixo", QStringLiteral("1e3x"), 1000);
        linha("e sem expoente", QStringLiteral("7e"), 7);
        linha("menos no meio", QStringLiteral("3-4"), 3);
        linha("so o sinal", QStringLiteral("-"), 0);
        linha("ponto e letra", QStringLiteral(".5x"), 0);
        linha("expoente minusculo demais", QStringLiteral("1e-400x"), 0);
        linha("40000", QStringLiteral("40000"), 0, ERRO_ESTOURO);
        linha("40000 e lixo", QStringLiteral("40000abc"), 0, ERRO_ESTOURO);
        linha("&H longo demais", QStringLiteral("&H1234567890"), 0, ERRO_ESTOURO);
    }
    void inicial() {
        QFETCH(QString, texto);
        QFETCH(int, esperado);
        QFETCH(int, erro);
        int valor = 12345;
        QCOMPARE(converte(converte_numero_inicial, texto, &valor), erro);
        if (erro == 0) QCOMPARE(valor, esperado);
    }
};

} // namespace

int executa_conversao(int argc, char** argv) {
    TesteConversao t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_conversao.moc"
