# The project's vocabulary: deps, build, test, demo.
PY2 ?= /usr/bin/python2.7
PY3 ?= python3
PYTHONS = $(PY2) $(PY3)

.PHONY: all deps build test test-cpp demo format clean
CXX ?= g++
CXXFLAGS_STRICT = -std=c++20 -O2 -Wall -Wextra -Werror -Iinclude

all: demo

# Installs what the build and the tests need (as root; safe to repeat).
deps:
	PY2=$(PY2) PY3=$(PY3) bash scripts/install-deps.sh

# Builds the extension in place for both interpreters; our own sources
# must compile without a warning.
build: deps
	@for py in $(PYTHONS); do \
	    echo "== building for $$($$py -c 'import sys; print(sys.version.split()[0])')"; \
	    OMBRIX_STRICT=1 $$py setup.py -q build_ext --inplace || exit 1; \
	done

# Every test: the engine headers alone, then the module on both interpreters.
test: build build/test_engines
	PY2=$(PY2) PY3=$(PY3) ENGINE_TESTS=build/test_engines bash scripts/run-tests.sh

# The engine headers need no Python: this test program is built without it.
build/test_engines: tests/cpp/test_engines.cpp include/ombrix/*.hpp
	@mkdir -p build
	$(CXX) $(CXXFLAGS_STRICT) $< -o $@ -lgtest_main -lgtest -pthread

test-cpp: build/test_engines
	build/test_engines

# The main job: a few values of every generator, from both interpreters.
demo: build
	@for py in $(PYTHONS); do \
	    echo "== $$($$py -c 'import sys; print(sys.version.split()[0])')"; \
	    for name in $$($$py -c 'import ombrix.iterators as m; print(" ".join(m.__all__))'); do \
	        printf '%-8s' $$name; $$py -m ombrix.iterators $$name -n 5 | tr '\n' ' '; echo; \
	    done; \
	done

format:
	clang-format -i include/ombrix/*.hpp src/core/*.[ch]pp src/generators/*.[ch]pp tests/cpp/*.cpp

clean:
	rm -rf build ombrix/iterators/*.so
