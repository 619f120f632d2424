#pragma once

#include <TalvexExport.h>

#include <string>

namespace Talvex::App {

// Sets up glog for the product. Safe to call any number of times: glog is
// initialised only by the first call of the process (and not at all when the
// process already initialised it); later calls only apply settings.
//
// Settings, later ones winning:
//   1. every GLOG_<flag> environment variable (GLOG_v, GLOG_logtostderr, GLOG_vmodule, ...),
//      read at each call so a variable set after start-up counts;
//   2. `arguments`: glog flags as on a command line, "--v=2 --alsologtostderr".
// Unknown flags are ignored. When the log folder is not given, log files go to
// <per-user data folder>/Talvex/<code name>/Logs and are named after the product
// code name from GLOG_PRODUCT_NAME (else the application name). The folders below the
// data folder must be real folders of ours that nobody else may write (missing ones are
// made owner-only), and nothing is made in another user's space: otherwise glog logs to
// standard error only, and one ERROR line there names the folder and why.
TALVEX_EXPORT void InitGlog(const std::string& arguments);

} // namespace Talvex::App
