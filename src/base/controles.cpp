#include "controles.h"

#include <QFontDatabase>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>

namespace vantora {

Rotulo::Rotulo(QWidget* pai, const QString& nome, const QString& legenda) : QLabel(legenda, pai) {
    setObjectName(nome);
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
}

void Rotulo::colocaTwips(int esquerda, int topo, int largura, int altura) {
    twips_ = QRect(esquerda, topo, largura, altura);
    setGeometry(twips(esquerda, topo, largura, altura));
}

void Rotulo::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) pressionado_ = true;
    QLabel::mousePressEvent(e);
}

void Rotulo::mouseReleaseEvent(QMouseEvent* e) {
    const bool clique =
        pressionado_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressionado_ = false;
    QLabel::mouseReleaseEvent(e);
    if (clique) emit clicked();
}

void Rotulo::mouseDoubleClickEvent(QMouseEvent* e) {
    e->accept();
}

Forma::Forma(QWidget* pai, const QString& nome, Tipo tipo) : QWidget(pai), tipo_(tipo) {
    setObjectName(nome);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Forma::setBackColor(std::uint32_t bgr) {
    if (corFundo_ != bgr) {
        corFundo_ = bgr;
        update();
    }
}

void Forma::setFillColor(std::uint32_t bgr) {
    if (corPreenchimento_ != bgr) {
        corPreenchimento_ = bgr;
        update();
    }
}

void Forma::setFundoOpaco(bool opaco) {
    opaco_ = opaco;
    update();
}

void Forma::setPreenchido(bool preenchido) {
    preenchido_ = preenchido;
    update();
}

void Forma::colocaTwips(int esquerda, int topo, int largura, int altura) {
    twips_ = QRect(esquerda, topo, largura, altura);
    setGeometry(twips(esquerda, topo, largura, altura));
}

void Forma::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, tipo_ != Tipo::Retangulo);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QBrush pincel = Qt::NoBrush;
    if (preenchido_)
        pincel = corBGR(corPreenchimento_);
    else if (opaco_)
        pincel = corBGR(corFundo_);
    p.setBrush(pincel);
    p.setPen(QPen(Qt::black, 1));
    switch (tipo_) {
    case Tipo::Retangulo:
        p.drawRect(r);
        break;
    case Tipo::RetanguloArredondado:
        p.drawRoundedRect(r, r.height() / 3, r.height() / 3);
        break;
    case Tipo::Circulo: {
        const qreal d = qMin(r.width(), r.height());
        p.drawEllipse(QRectF(r.center().x() - d / 2, r.center().y() - d / 2, d, d));
        break;
    }
    }
}

QFont fonteBase(int pontos, bool negrito) {
    static const bool temOriginal = QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif")) ||
                                    QFontDatabase::hasFamily(QStringLiteral("Microsoft Sans Serif"));
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                   QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(temOriginal ? pontos : pontos - 0.5);
    f.setBold(negrito);
    return f;
}

Rotulo* rotulo(QWidget* pai, const QString& nome, const QString& texto, int e, int t, int l, int a,
               Qt::Alignment alinhamento) {
    auto* r = new Rotulo(pai, nome, texto);
    r->colocaTwips(e, t, l, a);
    r->setAlignment(alinhamento);
    return r;
}

Forma* forma(QWidget* pai, const QString& nome, int e, int t, int l, int a, Forma::Tipo tipo) {
    auto* f = new Forma(pai, nome, tipo);
    f->colocaTwips(e, t, l, a);
    return f;
}

QFrame* moldura(QWidget* pai, const QString& nome, int e, int t, int l, int a) {
    auto* f = coloca(new QFrame(pai), nome, e, t, l, a);
    f->setFrameShape(QFrame::Box);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

QString indexado(const char* nome, int i) {
    return QStringLiteral("%1_%2").arg(QLatin1String(nome)).arg(i);
}

} // namespace vantora
