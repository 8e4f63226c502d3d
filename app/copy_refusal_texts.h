#pragma once

// The texts beside the lamp when a copy is refused. The message control is sized for them.
inline constexpr const char* kTooManyComponentsText = "Too many comps!!";
inline constexpr const char* kAlreadyExistsText = "Already exists";
