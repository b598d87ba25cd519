#include "IntrinsicControls.h"

#include "CheckBox.h"
#include "ComboBox.h"
#include "Frame.h"
#include "Image.h"
#include "Label.h"
#include "Line.h"
#include "OptionButton.h"
#include "PictureBox.h"
#include "TextBox.h"
#include "Timer.h"

namespace {

template <typename T> std::pair<QString, ControlFactory> Entry(const char* name)
{
    return {QString::fromLatin1(name), [] { return std::make_unique<T>(); }};
}

} // namespace

std::vector<std::pair<QString, ControlFactory>> IntrinsicControlFactories()
{
    return {
        Entry<CheckBox>("CheckBox"),
        Entry<ComboBox>("ComboBox"),
        Entry<Frame>("Frame"),
        Entry<Image>("Image"),
        Entry<Label>("Label"),
        Entry<Line>("Line"),
        Entry<OptionButton>("OptionButton"),
        Entry<PictureBox>("PictureBox"),
        Entry<TextBox>("TextBox"),
        Entry<Timer>("Timer"),
    };
}
