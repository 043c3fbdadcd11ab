#include "toolkit/application.h"

// The toolkit reaches the one application object through Application(); it outlives every test.
tovi::TApplication TheTestApplication;
