#pragma once

namespace Talvex::App::Build {

// Identity of the product this build of the library belongs to. Per-user files that
// must not be shared between product versions live in a folder named
// "<PRODUCT_NAME> <MAJOR_VERSION>.<MINOR_VERSION>".
inline constexpr char PRODUCT_NAME[] = "clipforge";
inline constexpr char MAJOR_VERSION[] = "20";
inline constexpr char MINOR_VERSION[] = "1.2";

} // namespace Talvex::App::Build
