#include "tools/time_calc.h"

#include "timemodel/time_format.h"
#include "timemodel/zone_list.h"

namespace velkaro {

std::string ComputeAnswer(const TTimeQuestion& q, int cityIndex1, int cityIndex2,
                          const std::string& pattern) {
    const TCity* from = CityAt(cityIndex1);
    const TCity* to = CityAt(cityIndex2);
    std::optional<TDateTime> local = QuestionDateTime(q);
    if (!from || !to || !local) return {};
    return CityTimeText(*to, pattern, ZoneLocalToUtc(ZoneOfCity(*from), *local));
}

}  // namespace velkaro
