#include "Image.h"

#include "Picture.h"

#include <QPainter>
#include <QWidget>

namespace {

class ImageWindow : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        auto* image = dynamic_cast<Image*>(ControlFromWindow(this));
        if (image == nullptr || image->Decoded().isNull()) {
            return;
        }
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (image->Stretch()) {
            painter.drawImage(rect(), image->Decoded());
        } else {
            painter.drawImage(0, 0, image->Decoded());
        }
    }
};

} // namespace

QWidget* Image::CreateWidget(QWidget* parentWindow)
{
    auto* window = new ImageWindow(parentWindow);
    WatchEvents(window);
    return window;
}

void Image::FitToPicture()
{
    if (!mStretch && mDesignDone && !mDecoded.isNull()) {
        Move(Left(), Top(), PixelsToTwips(mDecoded.width()), PixelsToTwips(mDecoded.height()));
    }
}

void Image::SetPicture(const QByteArray& picture)
{
    mPicture = picture;
    mDecoded = DecodePicture(picture);
    FitToPicture();
    if (QWidget* window = hWnd()) {
        window->update();
    }
}

void Image::SetStretch(bool value)
{
    mStretch = value;
    FitToPicture();
    if (QWidget* window = hWnd()) {
        window->update();
    }
}

void Image::EndDesignLoad()
{
    mDesignDone = true;
    FitToPicture();
}

bool Image::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"picture") {
        SetPicture(value.toByteArray());
    } else if (key == u"stretch") {
        SetStretch(value.toBool());
    } else if (key == u"borderstyle") {
        // Images are drawn without a border here.
    } else {
        return IntrinsicControl::SetDesignProperty(name, value);
    }
    return true;
}

void Image::CopyPropertiesFrom(const ::Control& source)
{
    if (auto* image = dynamic_cast<const Image*>(&source)) {
        mPicture = image->mPicture;
        mDecoded = image->mDecoded;
        mStretch = image->mStretch;
    }
    IntrinsicControl::CopyPropertiesFrom(source);
}
