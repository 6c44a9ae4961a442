// The configurator's core for the web page (embind): one Configurador over the
// document the operator edits, the key catalogue, the key translation and the
// programming exchange. The page draws what estado() gives and calls the methods
// below for each click, key and file; every rule and every word stays here, in the
// core, as the window has them.
//
// A method that may end in a message box returns an object the page acts on:
//   mensagem: {titulo, texto, icone: "nenhum"|"informacao"|"exclamacao"}
//   bytes:    Uint8Array (Save)
//   acoes:    {escreve: Uint8Array, prazo: ms or null, terminou, progresso} (the exchange)
#include "base/erro.h"
#include "capture/traducao.h"
#include "catalogue/catalogo.h"
#include "catalogue/geometria.h"
#include "editor/documento.h"
#include "editor/tabelas.h"
#include "files/ini.h"
#include "files/layout.h"
#include "link/protocolo.h"
#include "link/troca.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cmath>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

using emscripten::val;

namespace vantora {
namespace {

const char* const TITULO_GRAVACAO = "Grava Dados Teclado";

val mensagem(const std::string& texto, const std::string& titulo, const char* icone) {
    val m = val::object();
    m.set("titulo", titulo.empty() ? std::string(tituloAplicacao()) : titulo);
    m.set("texto", texto);
    m.set("icone", std::string(icone));
    val r = val::object();
    r.set("mensagem", m);
    return r;
}

// The error trap: the handler runs; a run-time error becomes the window's message
// "Error N (...) in procedure P of Formulário Frm_Grava".
template <class F> val armadilha(const char* procedimento, F&& corpo) {
    try {
        return corpo();
    } catch (const ErroExecucao& e) {
        return mensagem(mensagemErro(e.numero(), e.descricao(), procedimento, formulario(), e.complemento()), {},
                        "nenhum");
    } catch (const std::bad_alloc&) {
        return mensagem(mensagemErro(7, "Memória insuficiente", procedimento, formulario()), {}, "nenhum");
    } catch (const std::exception& e) {
        return mensagem(mensagemErro(51, e.what(), procedimento, formulario()), {}, "nenhum");
    }
}

std::string bytes_de(const val& v) {
    const std::vector<unsigned char> b = emscripten::convertJSArrayToNumberVector<unsigned char>(v);
    return std::string(b.begin(), b.end());
}

template <class C> val uint8array(const C& c) {
    const auto* p = reinterpret_cast<const unsigned char*>(c.data());
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(c.size(), p));
}

Instante instante(double ms) {
    return Instante(std::llround(ms * 1000.0));
}

} // namespace

class Configurador {
  public:
    Configurador() {
        // As the window loads: the document, the catalogue, empty tables.
        documento_.inicia();
        catalogo_.preenche();
        documento_.limpa_tabelas();
    }

    // What the page shows: page on view, key and PC key selected, model, each
    // programmable key's caption, tooltip and visibility in the table on view, the
    // sentinel boxes and the option boxes.
    val estado() const {
        val e = val::object();
        e.set("aba", documento_.aba());
        e.set("tecla", documento_.tecla());
        e.set("teclaPC", documento_.tecla_pc());
        e.set("modelo44", documento_.modelo_44());
        e.set("gravando", bool(troca_));
        const Tabela& t = documento_.layout().tabela(documento_.na_pagina_cartao() ? 1 : documento_.aba());
        val teclas = val::array();
        for (int k = 0; k < QTD_TECLAS; ++k) {
            val tecla = val::object();
            tecla.set("legenda", legenda_codigo(t[std::size_t(k)], catalogo_));
            tecla.set("dica", dica_codigo(t[std::size_t(k)]));
            tecla.set("visivel", documento_.visivel(k));
            teclas.call<void>("push", tecla);
        }
        e.set("teclas", teclas);
        val sentinelas = val::array();
        for (int i = 0; i < QTD_SENTINELAS; ++i) {
            val linha = val::array();
            for (int b = 0; b < QTD_TABELAS; ++b)
                linha.call<void>("push", documento_.sentinela(i, b));
            sentinelas.call<void>("push", linha);
        }
        e.set("sentinelas", sentinelas);
        val opcoes = val::array();
        for (const int v : documento_.layout().caixas)
            opcoes.call<void>("push", v);
        e.set("opcoes", opcoes);
        return e;
    }

    // What never changes: the on-screen PC keyboard (labels in twips, with the
    // catalogue's captions, laid out as the window's load pass lays them), the
    // sentinel rows and the option boxes.
    val desenho() const {
        std::array<std::optional<RetanguloTecla>, 112> r{};
        for (int k = 1; k <= 108; ++k)
            r[std::size_t(k)] = rotulo_tecla_pc(k);
        // A half of a key folds into its neighbour, as the window's load pass does.
        for (int k = 1; k <= 108; ++k) {
            const int v = vizinha_da_metade(catalogo_.Id_TeclaPC_Alt[std::size_t(k - 1)], k);
            if (v == 0) continue;
            if (auto& vizinha = r[std::size_t(v)]) vizinha = junta_metade(*vizinha, *rotulo_tecla_pc(k));
            r[std::size_t(k)].reset();
        }
        val teclas = val::array();
        const auto poe = [&teclas](int k, const RetanguloTecla& q, const std::string& legenda) {
            val t = val::object();
            t.set("indice", k);
            t.set("x", q.esquerda);
            t.set("y", q.topo);
            t.set("l", q.largura);
            t.set("a", q.altura);
            t.set("legenda", legenda);
            teclas.call<void>("push", t);
        };
        for (int k = 1; k <= 108; ++k)
            if (r[std::size_t(k)]) poe(k, *r[std::size_t(k)], catalogo_.Legenda_TeclaLB[std::size_t(k - 1)]);
        poe(0, rotulo_sem_codigo(), "Sem Código");
        val d = val::object();
        d.set("teclasPC", teclas);
        val linhas = val::array();
        for (const LinhaSentinela& s : LINHAS_SENTINELA) {
            val l = val::object();
            l.set("controle", std::string(s.controle));
            l.set("legenda", std::string(s.legenda));
            l.set("trilha", legenda_trilha(s.trilha));
            linhas.call<void>("push", l);
        }
        d.set("sentinelas", linhas);
        val opcoes = val::array();
        for (const OpcaoLayout& o : OPCOES_LAYOUT) {
            val op = val::object();
            op.set("controle", std::string(o.controle));
            op.set("legenda", std::string(o.legenda));
            opcoes.call<void>("push", op);
        }
        d.set("opcoes", opcoes);
        d.set("limiteBytes", double(PerfilPrivado::LIMITE_BYTES));
        d.set("passos", PASSOS_GRAVACAO);
        return d;
    }

    void clica_tecla(int k) { documento_.escolhe_tecla(k); }

    val clica_aba(int n) {
        return armadilha("TabStrip_Click", [&] {
            documento_.escolhe_aba(n);
            return val::null();
        });
    }

    // PC key k clicked (0: "Sem Código").
    val clica_tecla_pc(int k) {
        return armadilha("Lbl_TeclaLB_Click", [&] {
            documento_.escolhe_tecla_pc(k, catalogo_.Codigo_TeclaLB.at(std::size_t(k)));
            return val::null();
        });
    }

    // A key of the computer's keyboard (KeyboardEvent.code). While capture is on, the
    // reports that pick a PC key assign it; during an exchange the keys Y and N answer
    // the record as the keyboard's "5" and "1" do.
    val tecla(const std::string& codigo, bool solta, bool repeticao, bool numLock, double agora) {
        // A key whose press was no keystroke for the page (the Enter that closed a
        // message, a key held as the page got the keyboard) assigns nothing.
        if (!solta && !repeticao) {
            da_pagina_.insert(codigo);
        } else if (da_pagina_.count(codigo) == 0) {
            return val::null();
        } else if (solta) {
            da_pagina_.erase(codigo);
        }
        for (const RelatoTecla& r : tradutor_.traduz(evento_web(codigo, solta, repeticao, numLock))) {
            if (!relato_escolhe_tecla(r.palavra)) continue;
            const int k = catalogo_.localiza(identificador_tecla(r));
            if (troca_) {
                constexpr int TECLA_SIM = 45, TECLA_NAO = 85;
                if (k == TECLA_SIM || k == TECLA_NAO)
                    return acoes(troca_->recebe(k == TECLA_SIM ? RespostaTeclado::Aceito : RespostaTeclado::Recusado,
                                                instante(agora)));
                continue;
            }
            if (k == 0 || documento_.na_pagina_cartao()) continue;
            val m = clica_tecla_pc(k);
            if (!m.isNull()) return m;
        }
        return val::null();
    }
    // The page lost the keyboard: what goes up meanwhile is never seen.
    void esquece_teclas() {
        tradutor_.esquece_tudo();
        da_pagina_.clear();
    }

    void define_sentinela(int linha, int caixa, const std::string& texto) {
        documento_.define_sentinela(linha, caixa, texto);
    }
    void define_opcao(int opcao, int valor) { documento_.define_opcao(opcao, valor); }
    void define_modelo_44(bool m) { documento_.define_modelo_44(m); }
    void novo() { documento_.novo(); }

    // Open, from the file's bytes (the page gives none for a file over the limit).
    val abre(const val& bytes) {
        return armadilha("mnu_Abrir_Click", [&] {
            if (!abre_layout(PerfilPrivado::de_bytes(bytes_de(bytes)), documento_))
                return mensagem(mensagemOutroTeclado(), "Vantora", "informacao");
            return val::null();
        });
    }

    // Save, before the file is chosen: the sentinel boxes into the tables.
    val prepara_salvar() {
        return armadilha("mnuSalvar_Click", [&] {
            documento_.copia_sentinelas();
            return val::null();
        });
    }
    // Save: the bytes of the file `nome` holding `existente` (empty for a new one)
    // with the layout written into it.
    val salva(const val& existente, const std::string& nome) {
        return armadilha("mnuSalvar_Click", [&] {
            PerfilPrivado ini = PerfilPrivado::de_bytes(bytes_de(existente));
            Grava_Layout(ini, documento_.layout());
            const std::string texto = ini.texto();
            if (const std::string motivo = ini.motivo_recusa_gravacao(texto); !motivo.empty())
                throw erro_gravacao(nome, motivo);
            val r = val::object();
            r.set("bytes", uint8array(texto));
            return r;
        });
    }

    // Save could not read or write the file `nome`, for `motivo`: the window's message.
    val falha_gravacao(const std::string& nome, const std::string& motivo) {
        return armadilha("mnuSalvar_Click", [&]() -> val { throw erro_gravacao(nome, motivo); });
    }

    // The send, before the port is opened: the sentinel boxes into the tables, every
    // value checked before the first byte.
    val verifica_envio() {
        return armadilha("Cmd_Grava_Teclado_Click", [&] {
            documento_.copia_sentinelas();
            if (const auto problema = valor_fora_da_faixa(documento_.layout()))
                return mensagem(*problema, TITULO_GRAVACAO, "exclamacao");
            return val::null();
        });
    }
    // The port could not be opened (error 8005 when another program holds it).
    static val falha_abertura(int erro) { return mensagem(texto_falha_abertura(erro), {}, "nenhum"); }

    val inicia_troca(double agora) {
        // The option boxes may change while the records go out: read when needed.
        troca_ = std::make_unique<Troca>(codigos_da_troca(documento_.layout()),
                                         [this] { return byte_opcoes(documento_.layout().caixas); });
        return acoes(troca_->inicia(instante(agora)));
    }
    val recebe(const val& bytes, double agora) {
        if (!troca_) return val::null();
        const std::string b = bytes_de(bytes);
        return acoes(troca_->recebe(reinterpret_cast<const unsigned char*>(b.data()), b.size(), instante(agora)));
    }
    val tempo(double agora) { return troca_ ? acoes(troca_->tempo(instante(agora))) : val::null(); }
    // The port went away, or a write failed.
    val porta_perdida() { return troca_ ? acoes(troca_->encerra(FimTroca::PortaPerdida)) : val::null(); }
    val falha_escrita() {
        const std::string descricao = "Falha na escrita da porta serial";
        constexpr int ERRO_SERIAL_ESCRITA = 8020; // the serial control's failed write
        return troca_ ? acoes(troca_->encerra(FimTroca::Erro, ERRO_SERIAL_ESCRITA, descricao)) : val::null();
    }

    // How it ended, as the window says it; the exchange is over.
    val fim_da_troca() {
        if (!troca_ || !troca_->terminada()) return val::null();
        ResultadoTroca r = troca_->resultado();
        troca_.reset();
        if (r.fim == FimTroca::Erro) {
            if (r.descricao.empty()) r.descricao = descricaoPadrao(r.erro);
            return mensagem(mensagemErro(r.erro, r.descricao, "Cmd_Grava_Teclado_Click", formulario()), {},
                            "nenhum");
        }
        const std::string texto = texto_resultado(r, true);
        if (texto.empty()) return val::null();
        return mensagem(texto, TITULO_GRAVACAO, r.fim == FimTroca::Gravado ? "informacao" : "exclamacao");
    }

    // The legend sheet of the keys on view (the 44-key model's block when that model is
    // shown): columns, and for each key, row by row, the captions of its four codes.
    val legenda() const {
        int linhas = 0, colunas = 0;
        while (linhas * TECLAS_POR_LINHA < QTD_TECLAS && documento_.visivel(linhas * TECLAS_POR_LINHA))
            ++linhas;
        while (colunas < TECLAS_POR_LINHA && documento_.visivel(colunas))
            ++colunas;
        val celulas = val::array();
        for (int r = 0; r < linhas; ++r)
            for (int c = 0; c < colunas; ++c) {
                val celula = val::array();
                for (int n = 1; n <= QTD_TABELAS; ++n)
                    celula.call<void>("push",
                                      legenda_exibida(documento_.layout().tabela(n)[std::size_t(r * TECLAS_POR_LINHA + c)],
                                                      catalogo_));
                celulas.call<void>("push", celula);
            }
        std::string tabelas = "1 (negrito)";
        for (int n = 2; n < QTD_TABELAS; ++n)
            tabelas += ", " + std::to_string(n);
        val l = val::object();
        l.set("linhas", linhas);
        l.set("colunas", colunas);
        l.set("celulas", celulas);
        l.set("nota", "Linhas de cada tecla: tabelas " + tabelas + " e " + std::to_string(QTD_TABELAS) + ".");
        return l;
    }

  private:
    val acoes(const AcoesTroca& a) const {
        val r = val::object();
        r.set("escreve", uint8array(a.escreve));
        r.set("prazo", a.prazo ? val(double(a.prazo->count()) / 1000.0) : val::null());
        r.set("terminou", a.terminou);
        r.set("progresso", troca_ ? troca_->progresso() : 0);
        val o = val::object();
        o.set("acoes", r);
        return o;
    }

    Catalogo catalogo_;
    Documento documento_;
    TradutorTeclado tradutor_{Plataforma::X11};
    std::unique_ptr<Troca> troca_;
    std::set<std::string> da_pagina_; // keys pressed while the page took the keyboard
};

} // namespace vantora

EMSCRIPTEN_BINDINGS(vantora) {
    using vantora::Configurador;
    emscripten::class_<Configurador>("Configurador")
        .constructor<>()
        .function("estado", &Configurador::estado)
        .function("desenho", &Configurador::desenho)
        .function("clica_tecla", &Configurador::clica_tecla)
        .function("clica_aba", &Configurador::clica_aba)
        .function("clica_tecla_pc", &Configurador::clica_tecla_pc)
        .function("tecla", &Configurador::tecla)
        .function("esquece_teclas", &Configurador::esquece_teclas)
        .function("define_sentinela", &Configurador::define_sentinela)
        .function("define_opcao", &Configurador::define_opcao)
        .function("define_modelo_44", &Configurador::define_modelo_44)
        .function("novo", &Configurador::novo)
        .function("abre", &Configurador::abre)
        .function("prepara_salvar", &Configurador::prepara_salvar)
        .function("salva", &Configurador::salva)
        .function("falha_gravacao", &Configurador::falha_gravacao)
        .function("verifica_envio", &Configurador::verifica_envio)
        .class_function("falha_abertura", &Configurador::falha_abertura)
        .function("inicia_troca", &Configurador::inicia_troca)
        .function("recebe", &Configurador::recebe)
        .function("tempo", &Configurador::tempo)
        .function("porta_perdida", &Configurador::porta_perdida)
        .function("falha_escrita", &Configurador::falha_escrita)
        .function("fim_da_troca", &Configurador::fim_da_troca)
        .function("legenda", &Configurador::legenda);
}
