// Whether the foomatic-rip filter an installation needs is on the machine.
#pragma once

// 1 when foomatic-rip exists in one of the fixed places (existence only, not executability), else 0.
int hasFoomaticRip();
