// navigator.serial for the page's tests, installed before the page's own scripts: one
// port, the keyboard emulator's pseudo-terminal, reached over a WebSocket to a bridge in
// the test process (globalThis.__ponteSerial.url, then /?baud=N). What the page sees is
// what Chrome gives: getPorts() offers a port granted before, requestPort() grants one,
// open() rejects with InvalidStateError when already open and NetworkError when the port
// is held by another program (the bridge refuses the handshake), Uint8Array chunks on
// `readable`, and when the line goes away (the bridge closes) read() rejects with
// NetworkError, a `disconnect` event reaches the port and navigator.serial, and the port
// is forgotten: plugged in again, it is a new one.
(() => {
    const { url } = globalThis.__ponteSerial;
    const erro = (texto, nome) => new DOMException(texto, nome);
    const avisa = (alvo, origem) => {
        const e = new Event("disconnect");
        Object.defineProperty(e, "target", { value: origem }); // as if it bubbled from the port
        alvo.dispatchEvent(e);
    };
    let concedida = null, oferecida;

    class SerialPort extends EventTarget {
        #ws = null;
        #leitura = null; // the readable stream's controller
        readable = null;
        writable = null;

        open({ baudRate } = {}) {
            if (this.#ws) return Promise.reject(erro("The port is already open.", "InvalidStateError"));
            if (!(baudRate > 0)) return Promise.reject(new TypeError("Requested baud rate must be greater than zero."));
            const ws = (this.#ws = new WebSocket(`${url}/?baud=${baudRate}`));
            ws.binaryType = "arraybuffer";
            return new Promise((aceita, recusa) => {
                ws.onopen = () => (this.#abertos(ws), aceita());
                ws.onclose = () => { this.#ws = null; recusa(erro("Failed to open serial port.", "NetworkError")); };
            });
        }

        #abertos(ws) {
            this.readable = new ReadableStream({ start: (c) => { this.#leitura = c; }, cancel: () => { this.#leitura = null; } });
            this.writable = new WritableStream({
                write: (bloco) => {
                    if (ws.readyState !== WebSocket.OPEN) throw erro("The device has been lost.", "NetworkError");
                    ws.send(bloco);
                },
            });
            ws.onmessage = (m) => this.#leitura && this.#leitura.enqueue(new Uint8Array(m.data));
            ws.onclose = () => {
                if (this.#ws !== ws) return; // closed by close()
                this.#ws = null;
                if (this.#leitura) this.#leitura.error(erro("The device has been lost.", "NetworkError"));
                this.#leitura = this.readable = this.writable = null;
                if (concedida === this) concedida = null;
                oferecida = new SerialPort();
                avisa(this, this);
                avisa(navigator.serial, this);
            };
        }

        async close() {
            if (!this.#ws) throw erro("The port is already closed.", "InvalidStateError");
            if (this.readable && this.readable.locked) throw new TypeError("Cannot cancel a locked stream");
            if (this.writable && this.writable.locked) throw new TypeError("Cannot abort a locked stream");
            const ws = this.#ws;
            this.#ws = null;
            if (this.readable) await this.readable.cancel();
            this.#leitura = this.readable = this.writable = null;
            ws.close();
        }
    }
    oferecida = new SerialPort();

    class Serial extends EventTarget {
        async getPorts() { return concedida ? [concedida] : []; }
        async requestPort() { return (concedida = oferecida); }
    }
    Object.defineProperty(Navigator.prototype, "serial", { value: new Serial(), configurable: true });
})();
