// The limb kernels of the selected backend under their plain names
// (num::backend::bignat_add, ...) and the backend's name (num::backend::backendName).
#pragma once

#include "Num/Backend/Selected.hpp"
