#pragma once
// The window's small controls: labels that can be clicked and shapes with VB-style
// colours, both placed in twips (15 twips to a pixel; Qt scales on high-DPI screens).

#include <QColor>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QValidator>
#include <QWidget>
#include <cstdint>

class QFrame;

namespace vantora {

inline constexpr int TWIPS_POR_PIXEL = 15;

[[nodiscard]] constexpr int px(int twips) {
    return (twips + TWIPS_POR_PIXEL / 2) / TWIPS_POR_PIXEL;
}
[[nodiscard]] inline QRect twips(int esquerda, int topo, int largura, int altura) {
    return QRect(px(esquerda), px(topo), px(esquerda + largura) - px(esquerda), px(topo + altura) - px(topo));
}

// Colours are written as 0xBBGGRR, the way the program stores them.
[[nodiscard]] inline QColor corBGR(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}
inline constexpr std::uint32_t BRANCO = 0xFFFFFF;
inline constexpr std::uint32_t VERDE = 0x00FF00;
inline constexpr std::uint32_t AMARELO = 0x00FFFF;
inline constexpr std::uint32_t AMARELO_CLARO = 0xC0FFFF;
inline constexpr std::uint32_t VERDE_ESCURO = 0x008000;
inline constexpr std::uint32_t CIANO_CLARO = 0xFFFFC0;

// A label with a caption, a tooltip and a click.
class Rotulo : public QLabel {
    Q_OBJECT
  public:
    explicit Rotulo(QWidget* pai, const QString& nome, const QString& legenda = {});
    void setCaption(const QString& legenda) { setText(legenda); }
    [[nodiscard]] QString caption() const { return text(); }
    // Keeps the twips rectangle too, so that folding keys can add widths exactly.
    void colocaTwips(int esquerda, int topo, int largura, int altura);
    [[nodiscard]] QRect retanguloTwips() const { return twips_; }

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    // The second press of a double-click is no click of its own.
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    QRect twips_;
    bool pressionado_ = false;
};

// Typing limit of a text box that still shows whole any text the program puts in
// it (QLineEdit's own maximum length would cut that).
class LimiteDigitacao : public QValidator {
  public:
    LimiteDigitacao(int maximo, QObject* pai) : QValidator(pai), maximo_(maximo) {}
    State validate(QString& texto, int& /*pos*/) const override {
        return texto.size() <= maximo_ ? Acceptable : Invalid;
    }

  private:
    int maximo_;
};

// Keeps the mouse wheel from a control (a tab bar would change tabs on it).
class SemRoda : public QObject {
  public:
    explicit SemRoda(QObject* pai) : QObject(pai) {}
    bool eventFilter(QObject* /*alvo*/, QEvent* e) override { return e->type() == QEvent::Wheel; }
};

// A shape: rectangle, rounded rectangle or circle, with a back colour (when
// opaque) and a fill colour (when filled). Shapes never take clicks.
class Forma : public QWidget {
    Q_OBJECT
  public:
    enum class Tipo { Retangulo, RetanguloArredondado, Circulo };
    explicit Forma(QWidget* pai, const QString& nome, Tipo tipo = Tipo::Retangulo);

    void setBackColor(std::uint32_t bgr);
    [[nodiscard]] std::uint32_t BackColor() const { return corFundo_; }
    void setFillColor(std::uint32_t bgr);
    [[nodiscard]] std::uint32_t FillColor() const { return corPreenchimento_; }
    void setFundoOpaco(bool opaco);
    void setPreenchido(bool preenchido);
    void colocaTwips(int esquerda, int topo, int largura, int altura);
    [[nodiscard]] QRect retanguloTwips() const { return twips_; }

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    Tipo tipo_;
    std::uint32_t corFundo_ = BRANCO;
    std::uint32_t corPreenchimento_ = 0;
    bool opaco_ = false;
    bool preenchido_ = false;
    QRect twips_;
};

// The window's font: MS Sans Serif where the system has it; elsewhere a font of close
// metrics, a half point smaller because it runs a little wider.
[[nodiscard]] QFont fonteBase(int pontos = 8, bool negrito = false);

// Placing controls by name in twips, as the window lays them out.
template <class W> W* coloca(W* w, const QString& nome, int esquerda, int topo, int largura, int altura) {
    w->setObjectName(nome);
    w->setGeometry(twips(esquerda, topo, largura, altura));
    return w;
}
Rotulo* rotulo(QWidget* pai, const QString& nome, const QString& texto, int e, int t, int l, int a,
               Qt::Alignment alinhamento = Qt::AlignLeft | Qt::AlignTop);
Forma* forma(QWidget* pai, const QString& nome, int e, int t, int l, int a,
             Forma::Tipo tipo = Forma::Tipo::Retangulo);
// A sunken frame.
QFrame* moldura(QWidget* pai, const QString& nome, int e, int t, int l, int a);
// Name of element i of a control array: "Lbl_TeclaLB_5".
[[nodiscard]] QString indexado(const char* nome, int i);

} // namespace vantora
