#include "outputs/track_products.h"

#include "outputs/track_export.h"

namespace velmora {

TrackProducts::TrackProducts(OutputChoices choices, const TrackJob& job, const QString& name)
    : choices_(TrackChoices(std::move(choices), job)),
      names_(ExportNames(job, {}, name, {})), context_{choices_,  job.model,       job.settings,
                                                       job.frame, names_,          noPicture_,
                                                       noPicture_, 1,         notes_,          warnings_,
                                                       staged_,   &job.sourceEdges}
{
}

} // namespace velmora
