# Reading the running configurator from outside through the accessibility bus, as a
# screen reader does. Imported by the scripts that atspi.sh runs with Debian's python3.
import sys
import time

import pyatspi


def procura(no, aceita, profundidade=0):
    """Every node under no, itself included, that aceita accepts."""
    try:
        filhos = [procura(no.getChildAtIndex(i), aceita, profundidade + 1)
                  for i in range(no.childCount if profundidade < 40 else 0)]
        return ([no] if aceita(no) else []) + sum(filhos, [])
    except Exception:  # none, or a node that went away while being read
        return []


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
