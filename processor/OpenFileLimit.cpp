#include "OpenFileLimit.h"

#if defined(_WIN32)
#include <cstdio>

long raiseOpenFileLimit(long wanted)
{
    const int current = _getmaxstdio();
    if (current >= wanted)
        return current;
    if (_setmaxstdio(static_cast<int>(wanted)) != -1)
        return wanted;
    return current;
}

#else
#include <climits>
#include <sys/resource.h>

long raiseOpenFileLimit(long wanted)
{
    rlimit limit {};
    if (wanted < 0 || getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;

    const auto target = static_cast<rlim_t>(wanted);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < target)
    {
        rlimit raised = limit;
        raised.rlim_cur = (limit.rlim_max == RLIM_INFINITY || limit.rlim_max >= target) ? target : limit.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }

    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > static_cast<rlim_t>(LONG_MAX))
        return LONG_MAX;
    return static_cast<long>(limit.rlim_cur);
}
#endif
