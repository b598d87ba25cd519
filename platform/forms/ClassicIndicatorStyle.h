#pragma once

#include <QProxyStyle>

// Check box squares and option button circles as the forms were designed with: drawn in the window
// colour inside a two-pixel sunken edge whatever the control's BackColor, which fills only the
// caption's background. A blue form otherwise hides an unticked box.
class ClassicIndicatorStyle : public QProxyStyle {
public:
    // One instance for every check box and option button, owned by the application object.
    static ClassicIndicatorStyle* Instance();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    ClassicIndicatorStyle() = default;
};
