# Plugs an "adapter" into the running configurator and pulls it out again, reading the
# port box from outside through the accessibility bus. The adapter is vantora-sim's
# pseudo-terminal, reached through the path that VANTORA_EXTRA_PORTS names as COM9:
# plugging links that path to the terminal, pulling out ends the emulator, whose
# terminal then goes away. Run by teste_adaptador_ao_vivo.sh with Debian's python3.
# Arguments: LINK_PATH PTY_PATH EMULATOR_PID.
import os
import signal
import sys
import time

import pyatspi

ligacao, terminal, emulador = sys.argv[1], sys.argv[2], int(sys.argv[3])


def procura(no, aceita, profundidade=0):
    if no is None or profundidade > 40:
        return None
    try:
        if aceita(no):
            return no
        for i in range(no.childCount):
            r = procura(no.getChildAtIndex(i), aceita, profundidade + 1)
            if r is not None:
                return r
    except Exception:  # a node that went away while being read
        pass
    return None


def espera(obtem, o_que, segundos=20):
    prazo = time.time() + segundos
    while time.time() < prazo:
        r = obtem()
        if r:
            return r
        time.sleep(0.1)
    sys.exit("FALHOU: " + o_que)


def programa():
    mesa = pyatspi.Registry.getDesktop(0)
    return procura(mesa, lambda n: n.name == "vantora-config" and n.getRoleName() == "application")


caixa = espera(lambda: procura(espera(programa, "o programa no barramento de acessibilidade"),
                               lambda n: n.getRoleName() == "combo box"), "a caixa de portas")


def itens():
    lista = procura(caixa, lambda n: n.getRoleName() == "list")
    return [lista.getChildAtIndex(i).name for i in range(lista.childCount)] if lista else []


def confere(esperado, o_que):
    inicio = time.time()
    espera(lambda: esperado(itens()), o_que + "; itens: " + " ".join(itens()), 10)
    print("%s em %.1f s" % (o_que, time.time() - inicio), flush=True)


if "COM9" in itens():
    sys.exit("FALHOU: COM9 listada antes de existir")
# The port last opened, 9, is what the box shows at start: typed text, not a choice.
if caixa.name != "9":
    sys.exit("FALHOU: texto inicial %r" % caixa.name)
os.symlink(terminal, ligacao)
confere(lambda l: "COM9" in l, "COM9 apareceu")
os.kill(emulador, signal.SIGTERM)
confere(lambda l: "COM9" not in l, "COM9 sumiu")
if caixa.name != "9":
    sys.exit("FALHOU: o texto da caixa mudou para %r" % caixa.name)
print("ok")
