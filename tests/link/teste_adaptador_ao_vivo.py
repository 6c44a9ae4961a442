# Plugs an "adapter" into the running configurator and pulls it out again, reading the
# port box from outside through the accessibility bus. The adapter is vantora-sim's
# pseudo-terminal, reached through the path that VANTORA_EXTRA_PORTS names as COM9:
# plugging links that path to the terminal, pulling out removes the link, as the
# system removes the device of an adapter pulled out. (Ending the emulator alone would
# not do: its terminal's number is soon another test's.) Run by teste_adaptador_ao_vivo.sh with Debian's python3.
# Arguments: PROGRAM VANTORA_SIM WORK_DIR.
import os
import subprocess
import sys
import time

import pyatspi

programa, simulador, dir = sys.argv[1:4]
sim = subprocess.Popen([simulador], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
terminal = sim.stdout.readline().strip().removeprefix("PORTA ")
# Port 9 was opened last time; it is not there yet.
os.makedirs(dir + "/config/vantora-config")
with open(dir + "/config/vantora-config/vantora-config.conf", "w") as f:
    f.write("[Sistema]\nSerial=9\n")
env = dict(os.environ, QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_CONFIG_HOME=dir + "/config",
           XDG_RUNTIME_DIR=dir, VANTORA_EXTRA_PORTS="9=" + dir + "/adaptador")
janela = subprocess.Popen([programa], env=env)


def procura(no, aceita, profundidade=0):
    try:
        if no is None or profundidade > 40 or aceita(no):
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
        if r := obtem():
            return r
        time.sleep(0.1)
    janela.kill()
    sim.kill()
    sys.exit("FALHOU: " + o_que)


app = espera(lambda: procura(pyatspi.Registry.getDesktop(0),
                             lambda n: n.name == "vantora-config" and n.getRoleName() == "application"),
             "o programa no barramento de acessibilidade")
caixa = espera(lambda: procura(app, lambda n: n.getRoleName() == "combo box"), "a caixa de portas")


def itens():
    # None while the list is being refilled (an item may vanish as it is read).
    try:
        lista = procura(caixa, lambda n: n.getRoleName() == "list")
        return [lista.getChildAtIndex(i).name for i in range(lista.childCount)]
    except AttributeError:
        return None


def com9():
    return (lista := itens()) is not None and "COM9" in lista


def sem_com9():
    return (lista := itens()) is not None and "COM9" not in lista


# The port last opened, 9, is what the box shows at start: typed text, not a choice.
espera(lambda: sem_com9() and caixa.name == "9", "texto inicial %r, COM9 antes de existir" % caixa.name, 5)
os.symlink(terminal, dir + "/adaptador")
espera(com9, "COM9 apareceu")
os.unlink(dir + "/adaptador")
sim.terminate()
espera(sem_com9, "COM9 sumiu")
espera(lambda: caixa.name == "9", "o texto da caixa mudou para %r" % caixa.name, 5)
janela.kill()
print("ok")
