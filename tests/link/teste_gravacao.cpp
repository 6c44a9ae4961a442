// The exchange's sequencing on its own, with a scripted keyboard: which records go
// out, how often, and when the exchange is abandoned.
#include "link/gravacao.h"
#include "link/protocolo.h"

#include <QtTest>
#include <deque>

using namespace vantora;

namespace {
class CanalRoteirizado : public CanalGravacao {
  public:
    std::deque<int> respostas; // answers in order; accepted once they run out
    QList<QList<int>> enviados;
    int progresso = 0;
    int maxProgresso = 0;
    void envia_registro(int indice, int c1, int c2, int c3, int c4) override {
        enviados << QList<int>{indice, c1, c2, c3, c4};
    }
    void envia_fim() override { enviados << QList<int>{0x92}; }
    int espera_resposta() override {
        if (respostas.empty()) return RESPOSTA_SIM;
        const int r = respostas.front();
        respostas.pop_front();
        return r;
    }
    void avanca(int p) override {
        progresso += p;
        maxProgresso = qMax(maxProgresso, progresso);
    }
};
constexpr int S = RESPOSTA_SIM;
constexpr int N = RESPOSTA_NAO;
constexpr int X = 0; // no answer
} // namespace

class TesteGravacao : public QObject {
    Q_OBJECT
  private slots:
    void completa() {
        CodigosLayout c;
        for (int i = 0; i < QTD_SLOTS; ++i) {
            c.Codigos_Tab1[i] = std::int16_t(i);
            c.Codigos_Tab4[i] = std::int16_t(200 - i);
        }
        CanalRoteirizado canal;
        QCOMPARE(executa_gravacao(canal, c, 5), ResultadoGravacao::Gravado);
        QCOMPARE(canal.enviados.size(), 65 + 6 + 1 + 1);
        QCOMPARE(canal.enviados[0], (QList<int>{1, 0, 0, 0, 200}));
        QCOMPARE(canal.enviados[64], (QList<int>{65, 64, 0, 0, 136}));
        QCOMPARE(canal.enviados[65], (QList<int>{66, 66, 0, 0, 134})); // entry 65 is skipped
        QCOMPARE(canal.enviados[70], (QList<int>{71, 71, 0, 0, 129}));
        QCOMPARE(canal.enviados[71], (QList<int>{0, 1, 0, 5, 0}));
        QCOMPARE(canal.enviados[72], (QList<int>{0x92}));
        QCOMPARE(canal.progresso, 73);
    }

    void falhas_data() {
        QTest::addColumn<QList<int>>("respostas");
        QTest::addColumn<int>("envios_do_primeiro");
        QTest::addColumn<bool>("abandonada");
        QTest::newRow("five rejections then accepted") << QList<int>{N, N, N, N, N, S} << 6 << false;
        QTest::newRow("six rejections") << QList<int>{N, N, N, N, N, N} << 6 << true;
        QTest::newRow("three unanswered") << QList<int>{X, X, X} << 3 << true;
        QTest::newRow("one rejection then silence") << QList<int>{N, X, X, X} << 4 << true;
        QTest::newRow("two unanswered then accepted") << QList<int>{X, X, S} << 3 << false;
        QTest::newRow("a stray answer counts as none") << QList<int>{7, 7, 7} << 3 << true;
    }
    void falhas() {
        QFETCH(QList<int>, respostas);
        QFETCH(int, envios_do_primeiro);
        QFETCH(bool, abandonada);
        CanalRoteirizado canal;
        canal.respostas.assign(respostas.begin(), respostas.end());
        const auto r = executa_gravacao(canal, CodigosLayout{}, 0);
        QCOMPARE(r == ResultadoGravacao::Abandonado, abandonada);
        int primeiro = 0;
        for (const auto& e : canal.enviados)
            primeiro += e.value(0) == 1;
        QCOMPARE(primeiro, envios_do_primeiro);
        if (abandonada) {
            QCOMPARE(canal.enviados.size(), envios_do_primeiro); // no flags record, no end command
            QCOMPARE(canal.progresso, 0);
        } else {
            QCOMPARE(canal.progresso, 73);
        }
    }

    // The count goes back to zero on every acceptance: failures spread over several
    // records never add up.
    void aceitar_zera_a_contagem() {
        CanalRoteirizado canal;
        for (int i = 0; i < 70; ++i) {
            canal.respostas.push_back(X);
            canal.respostas.push_back(X);
            canal.respostas.push_back(S);
        }
        QCOMPARE(executa_gravacao(canal, CodigosLayout{}, 0), ResultadoGravacao::Gravado);
        QCOMPARE(canal.progresso, 73);
        QCOMPARE(canal.maxProgresso, 73);
    }
};

QTEST_GUILESS_MAIN(TesteGravacao)
#include "teste_gravacao.moc"
