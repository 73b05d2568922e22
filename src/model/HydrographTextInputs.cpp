#include "model/HydrographTextInputs.h"

#include "text/NumText.h"

namespace moravel::model {

int TextHydrographInputs::HourCount()
{
    return text::StrToInt(texts_.HourCount);
}

double TextHydrographInputs::Real(const QString& text) const
{
    return text::StrToFloat(text, separator_);
}

}  // namespace moravel::model
