#pragma once

// Lets the process keep at least `wanted` files open at once: a large
// instrument streams each of its samples from its own open file. Raises only
// as far as the system allows and never lowers the limit. Returns the limit
// in force afterwards, or -1 when it cannot be determined.
long raiseOpenFileLimit(long wanted);
