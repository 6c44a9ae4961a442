#include "console.h"

#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#endif

namespace vantora::prog {

namespace {

#ifdef Q_OS_WIN
// The console behind `f`, if it is one.
HANDLE console(std::FILE* f) {
    const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
    DWORD modo = 0;
    return h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &modo) ? h : nullptr;
}

// The width of the console's window (the buffer wraps at its own, never narrower).
int colunas_do_console(HANDLE h) {
    CONSOLE_SCREEN_BUFFER_INFO i;
    if (!h || !GetConsoleScreenBufferInfo(h, &i)) return 0;
    return qMax(0, qMin(i.srWindow.Right - i.srWindow.Left + 1, int(i.dwSize.X)));
}
#endif

} // namespace

void escreve(std::FILE* f, const QString& texto) {
#ifdef Q_OS_WIN
    if (const HANDLE h = console(f)) {
        std::fflush(f);
        // in pieces: older consoles refuse long writes
        for (qsizetype i = 0; i < texto.size(); i += 8192) {
            const QStringView parte = QStringView(texto).mid(i, 8192);
            DWORD escritos = 0;
            WriteConsoleW(h, reinterpret_cast<const wchar_t*>(parte.utf16()), DWORD(parte.size()), &escritos,
                          nullptr);
        }
        return;
    }
#endif
    std::fputs(texto.toUtf8().constData(), f);
    std::fflush(f);
}

int colunas(std::FILE* f) {
#ifdef Q_OS_UNIX
    winsize w{};
    return isatty(fileno(f)) && ::ioctl(fileno(f), TIOCGWINSZ, &w) == 0 ? int(w.ws_col) : 0;
#elif defined(Q_OS_WIN)
    return colunas_do_console(console(f));
#else
    (void)f;
    return 0;
#endif
}

QString quebra_linhas(const QString& texto, int colunas) {
    const qsizetype limite = colunas - 1; // a console that wraps at its last column adds a blank line
    if (limite < 30) return texto;        // too narrow to break anything sensibly
    // "  --port <P>     Porta: ...", "  send ARQUIVO    grava ...": the description's column.
    static const QRegularExpression opcao(QStringLiteral("^ +\\S+(?: \\S+)*? {2,}(?=\\S)"));
    // An option's description that the option parser broke at its own width is one
    // line again, then broken at the console's.
    QStringList logicas;
    qsizetype descricao = 0; // the column of the option's description on the line before
    for (const QString& linha : texto.split(QLatin1Char('\n'))) {
        qsizetype proprio = 0;
        while (proprio < linha.size() && linha[proprio] == QLatin1Char(' '))
            ++proprio;
        if (descricao > 0 && proprio == descricao && proprio < linha.size()) {
            logicas.last() += QLatin1Char(' ') + linha.mid(proprio);
            continue;
        }
        const auto m = opcao.match(linha);
        descricao = m.hasMatch() ? m.capturedLength() : 0;
        logicas << linha;
    }
    QStringList saida;
    for (QString linha : logicas) {
        if (linha.size() <= limite) {
            saida << linha;
            continue;
        }
        if (linha.trimmed().isEmpty()) { // blanks alone: nothing to break
            saida << QString();
            continue;
        }
        qsizetype propria = 0; // the line's own indentation
        while (linha[propria] == QLatin1Char(' '))
            ++propria;
        const auto m = opcao.match(linha);
        const qsizetype recuo = qMin(m.hasMatch() ? m.capturedLength() : propria, limite - 20);
        qsizetype inicio = propria; // the first break is after the line's own indentation
        while (linha.size() > limite) {
            qsizetype corte = linha.lastIndexOf(QLatin1Char(' '), limite);
            while (corte > inicio && linha[corte - 1] == QLatin1Char(' '))
                --corte; // the whole run of blanks goes
            if (corte <= inicio) corte = limite; // a word longer than the line
            saida << linha.left(corte);
            qsizetype resto = corte;
            while (resto < linha.size() && linha[resto] == QLatin1Char(' '))
                ++resto;
            linha = QString(recuo, QLatin1Char(' ')) + linha.mid(resto);
            inicio = recuo;
        }
        saida << linha;
    }
    return saida.join(QLatin1Char('\n'));
}

void escreve_ajuda(std::FILE* f, const QString& texto) {
    const int c = colunas(f);
    escreve(f, c > 0 ? quebra_linhas(texto, c) : texto);
}

Progresso::Progresso(std::FILE* f) : f_(f) {
#ifdef Q_OS_UNIX
    if (isatty(fileno(f))) modo_ = Modo::Ansi;
#elif defined(Q_OS_WIN)
    const HANDLE h = console(f);
    DWORD modo = 0;
    if (!h || !GetConsoleMode(h, &modo)) return;
    modo_ = Modo::Console;
    if (!(modo & ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
        if (!SetConsoleMode(h, modo | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return; // older than Windows 10
        modoAntes_ = modo;
        restaura_ = true;
    }
    // A console may take the mode and still print the sequences as text (Wine's does):
    // an SGR reset, which moves the cursor nowhere where it is understood, tells; where
    // it is not, its four characters are blanked again.
    std::fflush(f);
    CONSOLE_SCREEN_BUFFER_INFO antes;
    CONSOLE_SCREEN_BUFFER_INFO depois;
    DWORD n = 0;
    if (!GetConsoleScreenBufferInfo(h, &antes) || !WriteConsoleW(h, L"\x1b[0m", 4, &n, nullptr) ||
        !GetConsoleScreenBufferInfo(h, &depois))
        return;
    if (antes.dwCursorPosition.X == depois.dwCursorPosition.X &&
        antes.dwCursorPosition.Y == depois.dwCursorPosition.Y) {
        modo_ = Modo::Ansi;
        return;
    }
    FillConsoleOutputCharacterW(h, L' ', n, antes.dwCursorPosition, &n);
    SetConsoleCursorPosition(h, antes.dwCursorPosition);
    if (restaura_) SetConsoleMode(h, modoAntes_);
    restaura_ = false;
#endif
}

Progresso::~Progresso() {
#ifdef Q_OS_WIN
    if (restaura_) SetConsoleMode(console(f_), modoAntes_);
#endif
}

void Progresso::desenha(const QStringList& linhas) {
    QString s;
    if (modo_ == Modo::Ansi) {
        if (desenhadas_ > 0) s += QStringLiteral("\x1b[%1A").arg(desenhadas_);
        for (const QString& l : linhas)
            s += QLatin1Char('\r') + l + QStringLiteral("\x1b[K\n");
    }
#ifdef Q_OS_WIN
    if (modo_ == Modo::Console) {
        // Back to the first line drawn, each line cut to the width and padded over
        // what was there.
        const HANDLE h = console(f_);
        CONSOLE_SCREEN_BUFFER_INFO i;
        if (!h || !GetConsoleScreenBufferInfo(h, &i)) return;
        const int largura = qMax(1, colunas_do_console(h) - 1);
        if (desenhadas_ > 0)
            SetConsoleCursorPosition(h, COORD{0, SHORT(qMax(0, i.dwCursorPosition.Y - desenhadas_))});
        for (const QString& l : linhas)
            s += QLatin1Char('\r') + l.left(largura).leftJustified(largura) + QLatin1Char('\n');
    }
#endif
    if (modo_ == Modo::Nenhum) return;
    desenhadas_ = int(linhas.size());
    escreve(f_, s);
}

} // namespace vantora::prog
