#include "core/shared_state.h"

SharedFlag gDevicePresent{0};
SharedFlag gChangeParametersRequest{0};
SharedFlag gReapplyRequest{1};
SharedFlag gPowerResumed{0};
SharedFlag gSheetOpen{0};
SharedFlag gStopPolling{0};
SharedInt gZeroConfigActive{0};
SharedInt gIconInTray{0};
std::mutex gPresenceLock;

void ResetSharedState() {
  gDevicePresent = 0;
  gChangeParametersRequest = 0;
  gReapplyRequest = 1;
  gPowerResumed = 0;
  gSheetOpen = 0;
  gStopPolling = 0;
  gZeroConfigActive = 0;
  gIconInTray = 0;
}
