#pragma once
// Helpers shared by the layout-file tests: test data, files, an example layout.

#include "files/layout.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

namespace vantora::teste {

inline QString dados(const QString& nome) {
    return qEnvironmentVariable("VANTORA_DADOS", QStringLiteral("tests/data")) + QLatin1Char('/') + nome;
}

inline QByteArray le_bytes(const QString& caminho) {
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<sem arquivo ") + caminho.toUtf8() + '>';
    return f.readAll();
}

inline bool grava_bytes(const QString& caminho, const QByteArray& bytes) {
    QFile f(caminho);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A layout that uses every kind of value: printable codes, control codes, 0, 255,
// negatives (none starting "-2") and the ends of the 16-bit range; greyed option.
inline Layout exemplo() {
    Layout l;
    l.caixas = {1, 0, 2};
    for (int i = 0; i < QTD_SLOTS; ++i) {
        l.codigos.Codigos_Tab1[i] = static_cast<std::int16_t>(32 + (i * 7) % 95);
        l.codigos.Codigos_Tab2[i] = static_cast<std::int16_t>(i % 5 == 0 ? i : 0);
        l.codigos.Codigos_Tab3[i] = static_cast<std::int16_t>(i % 11 == 1 ? 255 : (i % 13 == 2 ? 13 : 0));
        l.codigos.Codigos_Tab4[i] = 0;
    }
    l.codigos.Codigos_Tab4[3] = -1;
    l.codigos.Codigos_Tab4[4] = 32767;
    l.codigos.Codigos_Tab4[5] = -32768;
    l.codigos.Codigos_Tab4[6] = -19;
    l.codigos.Codigos_Tab4[65] = 1;
    // Sentinels: "%" "?" on track 2, ";" "?" on track 3, error codes left 0.
    l.codigos.Codigos_Tab1[66] = 37;
    l.codigos.Codigos_Tab1[67] = 63;
    l.codigos.Codigos_Tab1[68] = 0;
    l.codigos.Codigos_Tab1[69] = 59;
    l.codigos.Codigos_Tab1[70] = 63;
    l.codigos.Codigos_Tab1[71] = 0;
    l.codigos.Codigos_Tab2[66] = 2;
    l.codigos.Codigos_Tab4[71] = 10;
    return l;
}

// The text without the line of `chave` in section `secao` (as the program writes it).
inline QByteArray sem_linha(QByteArray texto, const QByteArray& secao, const QByteArray& chave) {
    const qsizetype s = texto.indexOf("[" + secao + "]\r\n");
    const qsizetype i = texto.indexOf("\r\n" + chave + "=", s);
    const qsizetype f = texto.indexOf("\r\n", i + 2);
    if (s < 0 || i < 0 || f < 0) return "<chave nao achada>";
    texto.remove(i, f - i);
    return texto;
}

// The text of a layout file as the program writes it into a new file.
inline QByteArray texto_layout(const Layout& l) {
    PerfilPrivado ini;
    Grava_Layout(ini, l);
    return ini.texto();
}

} // namespace vantora::teste
