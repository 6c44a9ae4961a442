// Save and Open of a full layout file, beside the floor of writing and reading the
// same bytes with a plain QSaveFile / QFile. Prints medians; never fails.
#include "files/disco.h"
#include "files/ini.h"
#include "files/layout.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace vantora;

namespace {

double mediana_us(int vezes, const std::function<void()>& f) {
    std::vector<qint64> t;
    t.reserve(static_cast<std::size_t>(vezes));
    f(); // warm the cache and the file
    for (int i = 0; i < vezes; ++i) {
        QElapsedTimer r;
        r.start();
        f();
        t.push_back(r.nsecsElapsed());
    }
    std::sort(t.begin(), t.end());
    return static_cast<double>(t[t.size() / 2]) / 1000.0;
}

void linha(const char* nome, double nosso, double piso) {
    std::printf("%-34s %9.1f us   floor %9.1f us   ratio %5.2f\n", nome, nosso, piso, nosso / piso);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int vezes = argc > 1 ? std::max(1, atoi(argv[1])) : 301;
    QTemporaryDir dir;
    const QString arquivo = dir.filePath("layout.key");
    const QString piso = dir.filePath("piso.key");

    Layout l;
    l.caixas = {1, 0, 2};
    for (int n = 1; n <= QTD_TABELAS; ++n)
        for (int i = 0; i < QTD_SLOTS; ++i)
            l.tabela(n)[i] = static_cast<std::int16_t>((i * 37 + n * 11) % 256);
    PerfilPrivado novo;
    Grava_Layout(novo, l);
    const std::string texto = novo.texto();
    const QByteArray bytes = QByteArray::fromStdString(texto);

    // Save over an existing layout: read its lines, replace the 292 values, write once.
    const double salvar = mediana_us(vezes, [&] {
        PerfilPrivado ini = le_para_gravar(arquivo);
        Grava_Layout(ini, l);
        salva(ini, arquivo);
    });
    const double salvar_piso = mediana_us(vezes, [&] {
        QSaveFile f(piso);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(bytes);
            f.commit();
        }
    });
    // Save into a new file.
    int k = 0;
    const double salvar_novo = mediana_us(vezes, [&] {
        const QString c = dir.filePath(QStringLiteral("n%1.key").arg(k++));
        PerfilPrivado ini = le_para_gravar(c);
        Grava_Layout(ini, l);
        salva(ini, c);
    });
    const double salvar_novo_piso = mediana_us(vezes, [&] {
        QSaveFile f(dir.filePath(QStringLiteral("p%1.key").arg(k++)));
        if (f.open(QIODevice::WriteOnly)) {
            f.write(bytes);
            f.commit();
        }
    });

    Layout lido;
    const double abrir = mediana_us(vezes, [&] {
        if (!Le_Layout(le_arquivo(arquivo), lido)) std::abort();
    });
    const double abrir_piso = mediana_us(vezes, [&] {
        QFile f(piso);
        if (f.open(QIODevice::ReadOnly)) (void)f.readAll();
    });
    // The parts of Open without the disk.
    const double so_leitura =
        mediana_us(vezes, [&] { (void)Le_Layout(PerfilPrivado::de_bytes(texto), lido); });

    std::printf("layout file of %lld bytes, median of %d runs\n", static_cast<long long>(bytes.size()),
                vezes);
    linha("Save over an existing file", salvar, salvar_piso);
    linha("Save into a new file", salvar_novo, salvar_novo_piso);
    linha("Open", abrir, abrir_piso);
    std::printf("%-34s %9.1f us\n", "  of which parsing and 292 reads", so_leitura);

    // The largest file Open takes: the same layout with filler keys in front of the
    // first table, up to the size limit. Parsing and the 292 reads, once: the names
    // are found through the sorted hashes of each section's keys, not by a walk
    // through the filler for every read.
    std::string grande = texto;
    const std::size_t tab1 = grande.find("[Tab1]\r\n") + 8;
    std::string enchimento;
    enchimento.reserve(PerfilPrivado::LIMITE_BYTES);
    for (long long i = 0; std::int64_t(enchimento.size() + grande.size() + 32) < PerfilPrivado::LIMITE_BYTES; ++i)
        enchimento += "Enchimento" + std::to_string(i) + "=0\r\n";
    grande.insert(tab1, enchimento);
    enchimento = std::string();
    const std::size_t tamanho_grande = grande.size();
    Layout lido_grande;
    QElapsedTimer r;
    r.start();
    const bool ok_grande = Le_Layout(PerfilPrivado::de_bytes(std::move(grande)), lido_grande);
    std::printf("%-34s %9.1f ms (%lld bytes)\n", "Open of the largest file, no disk",
                double(r.nsecsElapsed()) / 1e6, static_cast<long long>(tamanho_grande));
    return lido == l && ok_grande && lido_grande == l ? 0 : 1;
}
