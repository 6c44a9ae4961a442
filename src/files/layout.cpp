#include "layout.h"

#include "base/erro.h"
#include "editor/conversao.h"

#include <unordered_map>

namespace vantora {
namespace {

const std::string TECLADO = "Teclado";

std::string secao_tabela(int n) {
    return "Tab" + std::to_string(n);
}

// The name of nomes_layout() a position of the reader stands at, or nullptr.
const NomeLayout* nome_em(const PosicaoLeitura& p) {
    std::size_t k = 0;
    if (p.opcao >= 0 && p.opcao < QTD_OPCOES)
        k = 1 + static_cast<std::size_t>(p.opcao);
    else if (p.opcao < 0 && p.tabela >= 1 && p.tabela <= QTD_TABELAS && p.entrada >= 0 && p.entrada < QTD_SLOTS)
        k = 1 + QTD_OPCOES + static_cast<std::size_t>(p.entrada * QTD_TABELAS + p.tabela - 1);
    return k > 0 ? &nomes_layout()[k] : nullptr;
}

// A section and a key as one folded text; a folded name holds no line break.
std::string par_dobrado(std::string_view secao, std::string_view chave) {
    return PerfilPrivado::dobra(secao) + '\n' + PerfilPrivado::dobra(chave);
}

struct Indices {
    std::unordered_map<std::string, std::size_t> nomes; // folded section and key -> nomes_layout()
    std::unordered_map<std::string, bool> secoes;       // folded section names
};
const Indices& indices() {
    static const Indices r = [] {
        Indices i;
        const std::vector<NomeLayout>& nomes = nomes_layout();
        for (std::size_t k = 0; k < nomes.size(); ++k) {
            i.nomes.emplace(par_dobrado(nomes[k].secao, nomes[k].chave), k);
            i.secoes.emplace(PerfilPrivado::dobra(nomes[k].secao), true);
        }
        return i;
    }();
    return r;
}

} // namespace

const std::vector<NomeLayout>& nomes_layout() {
    static const std::vector<NomeLayout> nomes = [] {
        std::vector<NomeLayout> r;
        r.push_back({TECLADO, "Tipo"});
        for (int c = 0; c < QTD_OPCOES; ++c)
            r.push_back({TECLADO, OPCOES_LAYOUT[static_cast<std::size_t>(c)].chave, c});
        for (int i = 0; i < QTD_SLOTS; ++i)
            for (int n = 1; n <= QTD_TABELAS; ++n)
                r.push_back({secao_tabela(n), "T" + std::to_string(i), -1, n, i});
        return r;
    }();
    return nomes;
}

const NomeLayout* nome_layout(std::string_view secao, std::string_view chave) {
    const auto& i = indices().nomes;
    const auto it = i.find(par_dobrado(secao, chave));
    return it == i.end() ? nullptr : &nomes_layout()[it->second];
}

bool secao_layout(std::string_view secao) {
    return indices().secoes.count(PerfilPrivado::dobra(secao)) > 0;
}

std::string Le_Ini(const PerfilPrivado& ini, std::string_view secao, std::string_view chave) {
    std::string v = ini.le(secao, chave, "-2", 255);
    const std::size_t nul = v.find('\0');
    if (nul != std::string::npos) v.resize(nul);
    // Old files mark a missing key with -2; so does the default above.
    if (v.size() >= 2 && v[0] == '-' && valor_inicial(std::string_view(v).substr(0, 2)) == -2.0) return " ";
    return v;
}

void Grava_Ini(PerfilPrivado& ini, std::string_view secao, std::string_view chave, std::string_view valor) {
    ini.grava(secao, chave, valor);
}

void Grava_Layout(PerfilPrivado& ini, const Layout& layout) {
    for (const NomeLayout& n : nomes_layout()) {
        const std::string valor =
            n.opcao >= 0  ? std::to_string(layout.caixas[static_cast<std::size_t>(n.opcao)])
            : n.tabela > 0 ? std::to_string(
                                 layout.tabelas[static_cast<std::size_t>(n.tabela - 1)][static_cast<std::size_t>(n.entrada)])
                           : tipoLayout();
        Grava_Ini(ini, n.secao, n.chave, valor);
    }
}

std::string nome_entrada(int entrada) {
    const std::string t = "T" + std::to_string(entrada);
    return entrada < QTD_TECLAS ? t + " (tecla " + std::to_string(entrada + 1) + ")" : t;
}

std::string PosicaoLeitura::secao() const {
    const NomeLayout* n = nome_em(*this);
    return n ? n->secao : std::string();
}

std::string PosicaoLeitura::chave() const {
    const NomeLayout* n = nome_em(*this);
    return n ? n->chave : std::string();
}

std::string PosicaoLeitura::nome() const {
    return "[" + secao() + "] " + (opcao >= 0 ? chave() : nome_entrada(entrada));
}

namespace {

// "a", "a e b", "a, b e c"
std::string em_lista(const std::vector<std::string>& partes) {
    std::string r;
    for (std::size_t i = 0; i < partes.size(); ++i) {
        if (i > 0) r += i + 1 == partes.size() ? " e " : ", ";
        r += partes[i];
    }
    return r;
}

// A count of options or tables, in words.
std::string por_extenso(int n) {
    static const std::array<const char*, 10> nomes = {"zero",  "uma",  "duas", "três", "quatro",
                                                      "cinco", "seis", "sete", "oito", "nove"};
    return n >= 0 && n < 10 ? nomes[static_cast<std::size_t>(n)] : std::to_string(n);
}

} // namespace

std::string PosicaoLeitura::lido_antes() const {
    const auto chave_opcao = [](int c) { return std::string(OPCOES_LAYOUT[static_cast<std::size_t>(c)].chave); };
    if (opcao == 1) return "a opção " + chave_opcao(0);
    if (opcao > 1) {
        std::vector<std::string> chaves;
        for (int c = 0; c < opcao; ++c)
            chaves.push_back(chave_opcao(c));
        return "as opções " + em_lista(chaves);
    }
    if (opcao >= 0 || tabela < 1) return {};
    std::vector<std::string> partes{"as " + por_extenso(QTD_OPCOES) + " opções"};
    const std::string todas = "das " + por_extenso(QTD_TABELAS) + " tabelas";
    if (entrada == 1) partes.push_back("T0 " + todas);
    if (entrada > 1) partes.push_back("T0–T" + std::to_string(entrada - 1) + " " + todas);
    if (tabela > 1) {
        std::vector<std::string> anteriores;
        for (int t = 1; t < tabela; ++t)
            anteriores.push_back("da " + secao_tabela(t));
        partes.push_back("T" + std::to_string(entrada) + " " + em_lista(anteriores));
    }
    return em_lista(partes);
}

ValorLido le_valor(const PerfilPrivado& ini, const PosicaoLeitura& onde) {
    ValorLido r;
    r.texto = Le_Ini(ini, onde.secao(), onde.chave());
    try {
        r.valor = onde.opcao < 0 && onde.entrada < PRIMEIRO_SENTINELA ? converte_inteiro(r.texto)
                                                                      : converte_numero_inicial(r.texto);
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
    const std::vector<NomeLayout>& nomes = nomes_layout();
    if (Le_Ini(ini, nomes.front().secao, nomes.front().chave) != tipoLayout()) return false;
    // The keys must all be there; the sentinels may be missing (0).
    for (std::size_t k = 1; k < nomes.size(); ++k) {
        const NomeLayout& n = nomes[k];
        p.opcao = n.opcao;
        p.tabela = n.tabela;
        p.entrada = n.entrada;
        const ValorLido v = le_valor(ini, p);
        if (v.erro) throw *v.erro;
        if (n.opcao >= 0)
            layout.caixas[static_cast<std::size_t>(n.opcao)] = v.valor;
        else
            layout.tabelas[static_cast<std::size_t>(n.tabela - 1)][static_cast<std::size_t>(n.entrada)] =
                static_cast<std::int16_t>(v.valor);
    }
    p = PosicaoLeitura();
    return true;
}

} // namespace vantora

namespace vantora {

bool abre_layout(const PerfilPrivado& ini, Documento& documento) {
    Layout layout = documento.layout();
    // What the reader set before a failing read stays set, in the window too.
    auto aplica = [&](const PosicaoLeitura& onde) {
        documento.define_layout(layout);
        documento.mostra_lido_ate(onde.entrada, onde.tabela);
    };
    PosicaoLeitura onde;
    bool deste_teclado = false;
    try {
        deste_teclado = Le_Layout(ini, layout, &onde);
    } catch (ErroExecucao& e) {
        aplica(onde);
        const std::string lido = onde.lido_antes();
        e.defineComplemento("O arquivo foi lido só até a entrada " + onde.nome() + ", que não pôde ser lida: " +
                            (lido.empty() ? "nada dele ficou na janela."
                                          : "a janela ficou com " + lido + " do arquivo; o resto continua como estava."));
        throw;
    } catch (...) {
        aplica(onde);
        throw;
    }
    if (!deste_teclado) return false;
    documento.define_layout(layout);
    documento.mostra_aberto();
    return true;
}

ErroExecucao erro_gravacao(const std::string& nome, const std::string& motivo) {
    return ErroExecucao(ERRO_ARQUIVO, "Não foi possível gravar o arquivo " + nome + ": " + motivo);
}

} // namespace vantora
