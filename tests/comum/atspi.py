# Reading the running configurator from outside through the accessibility bus, as a
# screen reader does. Imported by the scripts that atspi.sh runs with Debian's python3.
import sys
import time

import pyatspi


def procura(no, aceita, achados=None, profundidade=0):
    """Every node under no, itself included, that aceita accepts."""
    achados = [] if achados is None else achados
    if no is None or profundidade > 40:
        return achados
    try:
        if aceita(no):
            achados.append(no)
        for i in range(no.childCount):
            procura(no.getChildAtIndex(i), aceita, achados, profundidade + 1)
    except Exception:  # a node that went away while being read
        pass
    return achados


def espera(obtem, o_que, segundos=30):
    """What obtem returns once it is something; the script fails after the delay."""
    prazo = time.time() + segundos
    while time.time() < prazo:
        r = obtem()
        if r:
            return r
        time.sleep(0.1)
    sys.exit("FALHOU: não apareceu " + o_que)


def programa():
    """The running configurator, once it is on the bus."""
    mesa = pyatspi.Registry.getDesktop(0)
    return espera(lambda: [a for a in (mesa.getChildAtIndex(i) for i in range(mesa.childCount))
                           if a is not None and a.name == "vantora-config"],
                  "o programa no barramento de acessibilidade")[0]
