#pragma once

#include <TalvexExport.h>

#include <boost/exception/exception.hpp>

#include <exception>
#include <string>

namespace Talvex {

// The maker's base exception. Virtual bases let boost::error_info be attached and
// let it travel through boost::throw_exception.
class TALVEX_EXPORT Exception : public virtual std::exception, public virtual boost::exception {
public:
    explicit Exception(std::string message);
    ~Exception() override;

    const char* what() const noexcept override;

private:
    std::string message;
};

} // namespace Talvex
