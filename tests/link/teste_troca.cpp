// The exchange's machine against a keyboard on a virtual clock, every way it ends,
// worded for vantora-prog and for the window. Plain C++: it runs natively and, built
// with Emscripten, under Node.
#include "comum/simples.h"
#include "link/troca.h"

#include <algorithm>
#include <map>
#include <tuple>

using namespace vantora;
using namespace vantora::teste;

namespace {

using Indices = std::vector<int>;

Indices operator+(Indices a, const Indices& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A keyboard on a virtual clock: the nth byte of `roteiro` is what it does with the
// nth message written (repeats and the end command counted), '5' accept it, '1'
// reject it, '.' leave it unanswered, 'L' accept it `atraso` ms late, 'x' hang up;
// past the script it accepts. Answers in time come 1 ms after the message.
struct TecladoVirtual {
    std::string roteiro;
    int atraso = 600;
};

// The exchange against it, in microseconds of real time: how it ended, the record
// indices the keyboard got (0 the flags record), and where the bar stood.
struct Desfecho {
    ResultadoTroca r;
    Indices indices;
    int barra = 0;
};
Desfecho troca_virtual(const TecladoVirtual& k) {
    using namespace std::chrono_literals;
    Troca t(CodigosTroca{}, [] { return 0; });
    Desfecho d;
    std::multimap<Instante, unsigned char> a_caminho;
    Instante agora{0};
    std::size_t escritas = 0;
    for (AcoesTroca a = t.inicia(agora); !a.terminou;) {
        for (std::size_t i = 0; i < a.escreve.size(); i += a.escreve[i] == COMANDO_FIM ? 1 : 6) {
            if (a.escreve[i] != COMANDO_FIM) d.indices.push_back(a.escreve[i + 1]);
            const char c = escritas < k.roteiro.size() ? k.roteiro[escritas] : '5';
            ++escritas;
            if (c == 'x') {
                a = t.encerra(FimTroca::PortaPerdida);
                break;
            }
            const auto quando = agora + (c == 'L' ? std::chrono::milliseconds(k.atraso) : 1ms);
            if (c != '.') a_caminho.emplace(quando, c == '1' ? RESPOSTA_RECUSADO : RESPOSTA_ACEITO);
        }
        if (a.terminou) break;
        if (!a_caminho.empty() && a_caminho.begin()->first <= *a.prazo) {
            agora = a_caminho.begin()->first;
            const unsigned char b = a_caminho.begin()->second;
            a_caminho.erase(a_caminho.begin());
            a = t.recebe(&b, 1, agora);
        } else {
            agora = *a.prazo;
            a = t.tempo(agora);
        }
    }
    d.r = t.resultado();
    d.barra = t.progresso();
    return d;
}

// Records 1..ate, each sent again as often as `extra` holds it.
Indices ordem(int ate, const Indices& extra = {}) {
    Indices r;
    for (int i = 1; i <= ate; ++i)
        r.insert(r.end(), 1 + std::count(extra.begin(), extra.end(), i), i);
    return r;
}

// A rejection costs one failure and a record left unanswered two; at six the exchange
// is abandoned. Failures spread over records never add up (four records each left
// unanswered twice and then taken). Answers later than the wait are credited to no
// record: a record answered late goes out again once the line is quiet, a refusal is
// never taken for the next record's answer, three late answers in a row end as a
// keyboard that stopped answering, half an hour's delay is none.
void troca_no_relogio_virtual() {
    const auto parcial = [](int n) {
        const std::string s = std::to_string(n);
        return "o teclado ficou parcialmente gravado: aceitou " + s + " de 71 registros (teclas 1 a " + s +
               "); grave-o de novo";
    };
    const auto aceita = [](int n) { return std::string(std::size_t(n), '5'); }; // the first n messages
    const std::string feito = "Gravação do teclado efetuada.";
    const std::string recusa = "Erro de comunicação com o teclado";
    const std::string calado = "o teclado não respondeu (porta errada, teclado desligado ou desconectado?); "
                               "nada foi gravado";
    const std::string intacto = "o teclado não foi alterado";
    // The keyboard, how the exchange ends, the records sent, the texts for vantora-prog and the window.
    // clang-format off
    const std::tuple<TecladoVirtual, FimTroca, Indices, std::string, std::string> casos[] = {
        {{}, FimTroca::Gravado, ordem(71) + Indices{0}, feito, feito},
        {{"..5..5..5..5"}, FimTroca::Gravado, ordem(71, {1, 1, 2, 2, 3, 3, 4, 4}) + Indices{0}, feito, ""},
        {{aceita(9) + "L"}, FimTroca::Gravado, ordem(71, {10}) + Indices{0}, feito, ""},
        {{aceita(9) + "LL"}, FimTroca::Gravado, ordem(71, {10, 10}) + Indices{0}, feito, ""},
        {{aceita(9) + "L", 1200}, FimTroca::Gravado, ordem(71, {10}) + Indices{0}, feito, ""},
        {{"111111"}, FimTroca::Recusado, Indices(6, 1), recusa + " (o teclado não aceitou o layout); " + intacto, recusa},
        {{aceita(10) + "111111"}, FimTroca::Recusado, ordem(10) + Indices(6, 11),
         recusa + " (o teclado não aceitou o layout); " + parcial(10), recusa + "\n\nO" + parcial(10).substr(1) + "."},
        {{"1..."}, FimTroca::ParouDeResponder, Indices(4, 1), "o teclado parou de responder no registro 1; " + intacto, recusa},
        {{aceita(7) + "..."}, FimTroca::ParouDeResponder, ordem(7) + Indices{8, 8, 8},
         "o teclado parou de responder no registro 8; " + parcial(7), ""},
        {{aceita(10) + "LLL"}, FimTroca::ParouDeResponder, ordem(10) + Indices{11, 11, 11},
         "o teclado parou de responder no registro 11; " + parcial(10), ""},
        {{"LLL", 2147484}, FimTroca::NaoRespondeu, {1, 1, 1}, calado, recusa + "\n\nO" + calado.substr(1) + "."},
        {{"5555x"}, FimTroca::PortaPerdida, ordem(5),
         "erro 8020 (a porta deixou de responder) durante a gravação; " + parcial(4),
         "A porta serial deixou de responder durante a gravação (adaptador desconectado?). O" + parcial(4).substr(1) + "."},
        {{"x"}, FimTroca::PortaPerdida, {1}, "o teclado não respondeu (a porta deixou de responder); nada foi gravado", ""}};
    // clang-format on
    int n = 0;
    for (const auto& [k, fim, indices, prog, janela] : casos) {
        caso = "caso " + std::to_string(++n);
        const Desfecho d = troca_virtual(k);
        CONFERE(d.r.fim, fim);
        CONFERE(d.indices, indices);
        CONFERE(texto_resultado(d.r, false), prog);
        if (!janela.empty()) CONFERE(texto_resultado(d.r, true), janela);
        CONFERE(d.barra, fim == FimTroca::Gravado ? 73 : d.r.aceitos + (fim == FimTroca::PortaPerdida));
    }
    caso.clear();
}

} // namespace

int main() {
    troca_no_relogio_virtual();
    std::cout << (falhas ? "FALHOU: " : "ok: ") << falhas << " diferença(s)\n";
    return falhas != 0;
}
