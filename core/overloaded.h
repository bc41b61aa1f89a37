// One visitor out of several lambdas, for std::visit over the messages, intents and view changes.
#pragma once

namespace vexal {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};

}  // namespace vexal
