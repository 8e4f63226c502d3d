#pragma once

#include "console.h"
#include "library_import.h"

/// Adds KiCad footprints to a library: the report (name mapping, each footprint's summary, what
/// was written) on the output stream, each problem as `cobble: FILE: what` on the error stream.
/// Success when everything asked for was written (or, with a dry run, would be); Trouble when an
/// input could not be read; Failure for any other refusal, and then nothing is written.
ExitStatus runImportKicad(const KicadImportRequest& request, const Console& console);
