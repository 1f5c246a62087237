// answers.h - unattended setup: the answer file that is recorded from a
// person's choices or replayed in their place. The entries and drivers ask
// this file for an answer; they never learn how the answer came about.
#pragma once

#include <stdint.h>
