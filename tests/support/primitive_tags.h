#pragma once

#include "component.h"
#include "primitive.h"

#include <string>

// Order checks name each primitive by a tag letter kept in its byte 15, which no kind interprets,
// so that a test can spell out the order of a component's list as a string.

/// `p` with `tag` in byte 15.
Primitive tagged(Primitive p, char tag);

/// The tags of the primitives of `c`, in list order.
std::string tags(const Component& c);
