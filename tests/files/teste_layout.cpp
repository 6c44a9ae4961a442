// The layout file: the exact text written (golden files), what reading it sets, the
// "-2" rule (a value starting "-2" reads as a missing key), the type check and what
// a failing read leaves set.
#include "apoio.h"
#include "files/layout.h"
#include "shell/erro.h"

#include <QTest>

using namespace vantora;
using namespace vantora::teste;

namespace {

// A layout none of whose values is in a file, to see what a read has set.
Layout marcado() {
    Layout l;
    l.caixas = {1, 1, 1};
    for (int n = 1; n <= 4; ++n)
        l.codigos.tabela(n).fill(1111);
    return l;
}

QByteArray com_valor(const QByteArray& texto, const QString& secao, const QString& chave,
                     const QString& valor) {
    PerfilPrivado ini = PerfilPrivado::de_bytes(texto);
    ini.grava(secao, chave, valor);
    return ini.texto();
}

// Reads; gives the error number, 0 when the layout loaded, -1 for the type refusal.
int le(const QByteArray& texto, Layout& l) {
    try {
        return Le_Layout(PerfilPrivado::de_bytes(texto), l) ? 0 : -1;
    } catch (const ErroExecucao& e) {
        return e.numero();
    }
}

class TesteLayout : public QObject {
    Q_OBJECT
  private slots:
    void texto_de_arquivo_novo() { QCOMPARE(texto_layout(exemplo()), le_bytes(dados("layout_novo.key"))); }

    // Saving over a file with sections, comments and spacing of its own replaces the
    // values where they stand and keeps every other line; it reads back as saved, and
    // saving again changes nothing.
    void texto_sobre_arquivo_existente() {
        PerfilPrivado ini = PerfilPrivado::de_bytes(le_bytes(dados("existente.key")));
        Grava_Layout(ini, exemplo());
        const QByteArray esperado = le_bytes(dados("existente_gravado.key"));
        QCOMPARE(ini.texto(), esperado);
        Layout l = marcado();
        QCOMPARE(le(esperado, l), 0);
        QVERIFY(l == exemplo());
        Grava_Layout(ini, exemplo());
        QCOMPARE(ini.texto(), esperado);
    }

    // One value of the example file changed: what it loads as, or the error it stops with.
    void valores_data() {
        QTest::addColumn<QString>("secao");
        QTest::addColumn<QString>("chave");
        QTest::addColumn<QString>("valor"); // "<sem>": the line removed
        QTest::addColumn<int>("erro");
        QTest::addColumn<int>("esperado");
        auto linha = [](const char* nome, const char* s, const char* c, const QString& v, int erro,
                        int esperado) {
            QTest::newRow(nome) << QString(s) << QString(c) << v << erro << esperado;
        };
        linha("13.5", "Tab2", "T5", "13.5", 0, 14);
        linha("&H41", "Tab2", "T5", "&H41", 0, 65);
        linha("entre aspas", "Tab2", "T5", "\"7\"", 0, 7);
        linha("letras", "Tab2", "T5", "AB", ERRO_TIPOS, 0);
        linha("40000", "Tab2", "T5", "40000", ERRO_ESTOURO, 0);
        linha("-20", "Tab2", "T5", "-20", ERRO_TIPOS, 0);
        linha("T65 ausente", "Tab4", "T65", "<sem>", ERRO_TIPOS, 0);
        linha("sentinela -21", "Tab1", "T66", "-21", 0, 0);
        linha("sentinela letras", "Tab1", "T66", "AB", 0, 0);
        linha("sentinela 12abc", "Tab1", "T66", "12abc", 0, 12);
        linha("sentinela 40000", "Tab1", "T66", "40000", ERRO_ESTOURO, 0);
        linha("sentinela -2 entre aspas", "Tab1", "T66", "\"-2x\"", 0, 0); // "-2" reads as missing
        linha("sentinela ausente", "Tab1", "T66", "<sem>", 0, 0);
        linha("Prot -2", "Teclado", "Prot", "-2", 0, 0);
        linha("Prot letras", "Teclado", "Prot", "sim", 0, 0);
        linha("Prot 1.5", "Teclado", "Prot", "1.5", 0, 2);
        linha("Prot 3", "Teclado", "Prot", "3", ERRO_PROPRIEDADE, 0);
        linha("Prot -1", "Teclado", "Prot", "-1", ERRO_PROPRIEDADE, 0);
        linha("ProtDispBNC 70000", "Teclado", "ProtDispBNC", "70000", ERRO_ESTOURO, 0);
    }
    void valores() {
        QFETCH(QString, secao);
        QFETCH(QString, chave);
        QFETCH(QString, valor);
        QFETCH(int, erro);
        QFETCH(int, esperado);
        const QByteArray base = texto_layout(exemplo());
        const QByteArray texto = valor == "<sem>" ? sem_linha(base, secao.toLatin1(), chave.toLatin1())
                                                  : com_valor(base, secao, chave, valor);
        Layout l = marcado();
        QCOMPARE(le(texto, l), erro);
        if (erro != 0) return;
        if (secao == "Teclado")
            QCOMPARE(l.caixas[chave == "Prot" ? 0 : 2], esperado);
        else
            QCOMPARE(int(l.codigos.tabela(secao.back().digitValue())[chave.mid(1).toInt()]), esperado);
    }

    // A key missing among T0..T65 stops the load there: options and every entry read
    // before it (entry by entry, table 1 to 4 within an entry) stay set. An option
    // outside 0..2 stops before the boxes after it and before the codes. Missing
    // sentinel keys read as 0.
    void carga_parcial() {
        const Layout e = exemplo();
        Layout l = marcado();
        QCOMPARE(le(sem_linha(texto_layout(e), "Tab3", "T10"), l), int(ERRO_TIPOS));
        QCOMPARE(l.caixas, e.caixas);
        for (int n = 1; n <= 4; ++n) {
            for (int i = 0; i < QTD_SLOTS; ++i) {
                const bool lido = i < 10 || (i == 10 && n < 3);
                QCOMPARE(l.codigos.tabela(n)[i], lido ? e.codigos.tabela(n)[i] : std::int16_t(1111));
            }
        }
        l = marcado();
        QCOMPARE(le(com_valor(texto_layout(e), "Teclado", "ProtDispBNC", "7"), l), int(ERRO_PROPRIEDADE));
        QCOMPARE(l.caixas, (std::array<int, 3>{1, 0, 1}));
        QCOMPARE(l.codigos, marcado().codigos);
        QByteArray texto = texto_layout(e);
        for (const char* s : {"Tab1", "Tab2", "Tab3", "Tab4"})
            for (int i = 66; i < 72; ++i)
                texto = sem_linha(texto, s, "T" + QByteArray::number(i));
        l = marcado();
        QCOMPARE(le(texto, l), 0);
        for (int n = 1; n <= 4; ++n)
            for (int i = 0; i < QTD_SLOTS; ++i)
                QCOMPARE(l.codigos.tabela(n)[i], i >= 66 ? std::int16_t(0) : e.codigos.tabela(n)[i]);
    }

    // Names in any letter case are found; the type must be exactly "Vantora".
    void tipo_data() {
        QTest::addColumn<QByteArray>("texto");
        QTest::addColumn<bool>("aceito");
        const QByteArray todo = texto_layout(exemplo());
        const QByteArray resto = todo.mid(int(qstrlen("[Teclado]\r\nTipo=Vantora\r\n")));
        QTest::newRow("brancos e aspas") << "[Teclado]\r\nTipo = \"Vantora\" \r\n" + resto << true;
        QTest::newRow("nomes em maiusculas")
            << todo.toUpper().replace("TIPO=VANTORA", "TIPO=Vantora") << true;
        QTest::newRow("vantora") << "[Teclado]\r\nTipo=vantora\r\n" + resto << false;
        QTest::newRow("sem Tipo") << "[Teclado]\r\n" + resto << false;
        QTest::newRow("binario") << QByteArray("\x7f"
                                               "ELF\x02\x01\x01\0\0\0[Teclado]\0Tipo=Vantora",
                                               32)
                                 << false;
    }
    void tipo() {
        QFETCH(QByteArray, texto);
        QFETCH(bool, aceito);
        Layout l = marcado();
        QCOMPARE(le(texto, l), aceito ? 0 : -1);
        QVERIFY(l == (aceito ? exemplo() : marcado()));
    }
};

} // namespace

int executa_layout(int argc, char** argv) {
    TesteLayout t;
    return QTest::qExec(&t, argc, argv);
}

#include "teste_layout.moc"
