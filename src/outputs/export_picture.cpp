#include "outputs/export_picture.h"

#include "render/image/canvas_picture.h"

namespace velmora {

Result<QImage> DrawExportPicture(const TrackModel& model, const Settings& settings, const RenderAssets& assets,
                                 const QImage& templateImage, TemplateCache* cache, const QImage& mapPicture)
{
    QImage canvas(CanvasSide(settings.CanvasWidth), CanvasSide(settings.CanvasHeight), QImage::Format_RGB32);
    if (canvas.isNull())
        return Fail("could not create the canvas picture");
    RedrawCanvas(canvas, model, settings, assets, templateImage, cache, mapPicture);
    QImage picture = CanvasPicture(canvas);
    if (picture.isNull())
        return Fail("could not encode the picture");
    return picture;
}

} // namespace velmora
