// An owned reference to a Python object: released when the owner goes.
#pragma once

#include "compat.hpp"

#include <utility>

namespace ombrix::py {

class Ref {
public:
    Ref() = default;
    // Takes over a new reference (which may be null after a failed call).
    static Ref steal(PyObject* object) { return Ref(object); }
    // Adds a reference of its own to a borrowed one.
    static Ref borrow(PyObject* object) {
        Py_XINCREF(object);
        return Ref(object);
    }

    Ref(Ref&& other) noexcept : object_(other.release()) {}
    Ref& operator=(Ref&& other) noexcept {
        Ref old(std::exchange(object_, other.release()));
        return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { Py_CLEAR(object_); }

    PyObject* get() const { return object_; }
    // Hands the reference to the caller.
    PyObject* release() { return std::exchange(object_, nullptr); }
    explicit operator bool() const { return object_ != nullptr; }

private:
    explicit Ref(PyObject* object) : object_(object) {}
    PyObject* object_ = nullptr;
};

}  // namespace ombrix::py
