#include "ui/status_fields.h"

#include <QLabel>
#include <QResizeEvent>
#include <QStatusBar>
#include <algorithm>

namespace velmora {
namespace {

class FieldBar : public QStatusBar {
public:
    FieldBar(const std::array<int, 3>& widths, std::array<QLabel*, 3>& fields) : widths_(widths)
    {
        // A grip would sit on the last field; the window cannot be resized.
        setSizeGripEnabled(false);
        int height = 18;
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            // Children, not items of the bar: the bar lays out only its items.
            auto* field = new QLabel(this);
            field->setAlignment(Qt::AlignCenter);
            field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            // Room for a whole line of text inside the frame.
            height = std::max(height, field->fontMetrics().height() + 2 * field->frameWidth() + 2);
            fields_[i] = fields[i] = field;
        }
        setMinimumHeight(height);
        Place();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QStatusBar::resizeEvent(event);
        Place();
    }

private:
    void Place()
    {
        int x = 0;
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            fields_[i]->setGeometry(x, 0, widths_[i], height());
            x += widths_[i];
        }
    }

    std::array<int, 3> widths_;
    std::array<QLabel*, 3> fields_{};
};

} // namespace

QStatusBar* MakeStatusBar(const std::array<int, 3>& widths, std::array<QLabel*, 3>& fields)
{
    return new FieldBar(widths, fields);
}

} // namespace velmora
