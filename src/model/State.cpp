#include "model/State.h"

namespace moravel::model {

ComputationState& State()
{
    static ComputationState state;
    return state;
}

}  // namespace moravel::model
