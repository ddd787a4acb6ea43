// What a serial device journalled, with the requests a link asked again counted once.
#pragma once
#include <vector>

namespace testing_support {

// A serial link asks again when a reply comes late (a busy machine delays the device),
// and the device, which did get the first request, carries it out once more: a run of
// one request repeated back to back counts once for each `attempts` in it (the most a
// link makes of one request), so a request made more often than that still shows.
template <class Request>
std::vector<Request> WithoutRetries(const std::vector<Request>& requests, int attempts)
{
    std::vector<Request> once;
    int run = 0;
    for (const Request& request : requests)
    {
        const bool repeated = !once.empty() && once.back().function == request.function &&
                              once.back().address == request.address && once.back().value == request.value;
        if (repeated && run < attempts)
        {
            ++run;
            continue;
        }
        once.push_back(request);
        run = 1;
    }
    return once;
}

} // namespace testing_support
