#include "link/porta_windows.h"

#include <QByteArray>
#include <QMetaObject>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <windows.h>

namespace vantora {

ErroExecucao erro_de_abertura_windows(unsigned long erro, const QString& texto) {
    switch (erro) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ErroExecucao(ERRO_PORTA_INVALIDA, texto.toStdString());
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return ErroExecucao(ERRO_PORTA_ABERTA, texto.toStdString());
    default:
        return ErroExecucao(ERRO_SERIAL_HARDWARE, texto.toStdString());
    }
}

namespace {

QString nome_de_dispositivo(const QString& nome) {
    return nome.startsWith(QLatin1String("\\\\.\\")) ? nome : QStringLiteral("\\\\.\\") + nome;
}

QString texto_do_erro(DWORD erro) {
    return qt_error_string(int(erro)).trimmed();
}

class PortaWindows final : public QIODevice {
  public:
    explicit PortaWindows(HANDLE porta)
        : porta_(porta), parar_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          escrita_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~PortaWindows() override {
        PortaWindows::close();
        CloseHandle(parar_);
        CloseHandle(escrita_);
    }

    void comeca() {
        open(QIODevice::ReadWrite | QIODevice::Unbuffered);
        leitor_.reset(QThread::create([this] { le(); }));
        leitor_->start();
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        const QMutexLocker trava(&mutex_);
        return recebidos_.size() + QIODevice::bytesAvailable();
    }

    void close() override {
        if (leitor_) {
            SetEvent(parar_);
            leitor_->wait();
            leitor_.reset();
        }
        if (porta_ != INVALID_HANDLE_VALUE) {
            CloseHandle(porta_);
            porta_ = INVALID_HANDLE_VALUE;
        }
        if (isOpen()) QIODevice::close();
    }

  protected:
    qint64 readData(char* dados, qint64 max) override {
        const QMutexLocker trava(&mutex_);
        const qint64 n = qMin<qint64>(max, recebidos_.size());
        std::copy_n(recebidos_.constData(), n, dados);
        recebidos_.remove(0, n);
        return n;
    }

    // Waits until the driver took the bytes (a few milliseconds at the keyboard's
    // speeds). A device gone away is reported as a lost port, as the reads report it,
    // and not as a failed write: the exchange then ends the same way whichever of the
    // two sees it first.
    qint64 writeData(const char* dados, qint64 n) override {
        if (porta_ == INVALID_HANDLE_VALUE) return -1;
        OVERLAPPED ov{};
        ov.hEvent = escrita_;
        ResetEvent(escrita_);
        DWORD escritos = 0;
        BOOL ok = WriteFile(porta_, dados, DWORD(n), nullptr, &ov);
        if (ok || GetLastError() == ERROR_IO_PENDING) ok = GetOverlappedResult(porta_, &ov, &escritos, TRUE);
        if (!ok) {
            perdida(GetLastError());
            return n;
        }
        return qint64(escritos);
    }

  private:
    // The reader thread: overlapped reads of one byte each, until told to stop or the
    // device fails. With no read timeouts a read ends when its byte arrives, on Windows
    // and under Wine alike; Wine does not honour the timeouts that would make a longer
    // read return early with what arrived. The keyboard answers one byte at a time.
    void le() {
        OVERLAPPED ov{};
        ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        const HANDLE espera[2] = {ov.hEvent, parar_};
        char bloco[1];
        int vazias = 0;
        for (;;) {
            ResetEvent(ov.hEvent);
            DWORD lidos = 0;
            BOOL ok = ReadFile(porta_, bloco, sizeof bloco, nullptr, &ov);
            if (!ok && GetLastError() == ERROR_IO_PENDING) {
                if (WaitForMultipleObjects(2, espera, FALSE, INFINITE) != WAIT_OBJECT_0) {
                    CancelIoEx(porta_, &ov);
                    GetOverlappedResult(porta_, &ov, &lidos, TRUE);
                    break;
                }
                ok = TRUE;
            }
            if (ok) ok = GetOverlappedResult(porta_, &ov, &lidos, FALSE);
            if (!ok) {
                if (WaitForSingleObject(parar_, 0) != WAIT_OBJECT_0) perdida(GetLastError());
                break;
            }
            // Without read timeouts a read ends with its byte; one that keeps ending with
            // nothing has lost its device without saying so.
            if (lidos == 0) {
                if (++vazias < 100) continue;
                perdida(ERROR_DEVICE_NOT_CONNECTED);
                break;
            }
            vazias = 0;
            {
                const QMutexLocker trava(&mutex_);
                recebidos_.append(bloco, lidos);
            }
            if (!aviso_pendente_.exchange(true)) {
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        aviso_pendente_ = false;
                        emit readyRead();
                    },
                    Qt::QueuedConnection);
            }
        }
        CloseHandle(ov.hEvent);
    }

    // Told once, on the window's thread.
    void perdida(DWORD erro) {
        if (perdida_.exchange(true)) return;
        const QString motivo = texto_do_erro(erro);
        QMetaObject::invokeMethod(
            this,
            [this, motivo] {
                setErrorString(motivo);
                if (isOpen()) emit readChannelFinished();
            },
            Qt::QueuedConnection);
    }

    HANDLE porta_;
    HANDLE parar_;
    HANDLE escrita_;
    std::unique_ptr<QThread> leitor_;
    mutable QMutex mutex_; // guards recebidos_
    QByteArray recebidos_;
    std::atomic<bool> aviso_pendente_{false};
    std::atomic<bool> perdida_{false};
};

} // namespace

std::unique_ptr<QIODevice> abre_porta_windows(const QString& nome, const ParametrosSerial& p) {
    const std::wstring caminho = nome_de_dispositivo(nome).toStdWString();
    const HANDLE h = CreateFileW(caminho.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD erro = GetLastError();
        throw erro_de_abertura_windows(erro, texto_do_erro(erro));
    }
    // The line as asked, no flow control, DTR and RTS on (what the keyboard's adapter
    // powers its side from on some cables), zero bytes received like any other.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    bool ok = GetCommState(h, &dcb);
    if (ok) {
        dcb.BaudRate = DWORD(p.velocidade);
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE;
        ok = SetCommState(h, &dcb);
    }
    // Reads wait for their byte however long it takes; a write that has not gone in
    // 2 s fails.
    COMMTIMEOUTS t{0, 0, 0, 0, 2000};
    if (ok) ok = SetCommTimeouts(h, &t);
    if (!ok) {
        const DWORD erro = GetLastError();
        CloseHandle(h);
        throw ErroExecucao(ERRO_SERIAL_ESTADO, texto_do_erro(erro).toStdString());
    }
    PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
    auto porta = std::make_unique<PortaWindows>(h);
    porta->comeca();
    return porta;
}

bool porta_windows_presente(const QString& nome) {
    wchar_t alvo[1024];
    if (QueryDosDeviceW(nome.toStdWString().c_str(), alvo, 1024) != 0) return true;
    // Wine opens a COM name that is only a link in its prefix's dosdevices folder, but
    // lists it as no DOS device: asked by opening it for nothing, which another
    // program holding it refuses.
    const HANDLE h = CreateFileW(nome_de_dispositivo(nome).toStdWString().c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(h);
    return true;
}

} // namespace vantora
