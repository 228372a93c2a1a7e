# The project's vocabulary: deps, build, test, demo.
PY2 ?= /usr/bin/python2.7
PY3 ?= python3
PYTHONS = $(PY2) $(PY3)
# Debian's debug interpreters, for reference counting.
PY2DBG ?= /usr/bin/python2.7-dbg
PY3DBG ?= /usr/bin/python3.11-dbg
DEBUG_PYTHONS = $(PY2DBG) $(PY3DBG)

.PHONY: all deps build build-debug test test-cpp demo fuzz leaks sanitize bench dieharder format clean
CXX ?= g++
# The C++ test programs, one per tests/cpp/test_*.cpp.
CPP_TESTS = $(patsubst tests/cpp/%.cpp,build/%,$(wildcard tests/cpp/test_*.cpp))
# The bulk kernels' tests again, under AddressSanitizer and UBSan.
SANITIZED_CPP_TESTS = build/sanitize/test_bulk
CXXFLAGS_STRICT = -std=c++20 -O2 -Wall -Wextra -Werror -Iinclude

all: demo

# Installs what the build and the tests need (as root; safe to repeat).
deps:
	PY2=$(PY2) PY3=$(PY3) bash scripts/install-deps.sh

# Builds the extension in place for both interpreters (and their debug
# builds); our own sources must compile without a warning. Installs nothing:
# `make deps` (or `make test`, `make demo`) does that.
build:
	@for py in $(PYTHONS) $(DEBUG_PYTHONS); do \
	    echo "== building for $$py"; \
	    OMBRIX_STRICT=1 $$py setup.py -q build_ext --inplace || exit 1; \
	done

# Every test: the engine headers alone, then the module on both interpreters.
test: deps build $(CPP_TESTS) $(SANITIZED_CPP_TESTS)
	PY2=$(PY2) PY3=$(PY3) PY2DBG=$(PY2DBG) PY3DBG=$(PY3DBG) bash scripts/run-tests.sh

# The engine headers need no Python: these test programs are built without
# it. They read the reference vectors they share with the Python tests.
build/test_%: tests/cpp/test_%.cpp tests/cpp/*.hpp include/ombrix/*.hpp include/ombrix/kernels/*.hpp
	@mkdir -p build
	$(CXX) $(CXXFLAGS_STRICT) -DOMBRIX_VECTORS='"$(CURDIR)/tests/data/vectors.txt"' $< -o $@ -lgtest_main -lgtest -pthread

build/sanitize/test_%: tests/cpp/test_%.cpp tests/cpp/*.hpp include/ombrix/*.hpp include/ombrix/kernels/*.hpp
	@mkdir -p build/sanitize
	$(CXX) $(CXXFLAGS_STRICT) -g -fsanitize=address,undefined -fno-sanitize-recover=undefined -DOMBRIX_VECTORS='"$(CURDIR)/tests/data/vectors.txt"' $< -o $@ -lgtest_main -lgtest -pthread

# The C++ tests alone, then the library as a C++ user installs it (CMake
# package, pkg-config file, ctest).
test-cpp: $(CPP_TESTS)
	@for t in $(CPP_TESTS); do $$t --gtest_brief=1 || exit 1; done
	bash tests/consumer/run.sh

# The main job: a few values of every generator, from both interpreters.
demo: deps build
	@for py in $(PYTHONS); do \
	    echo "== $$($$py -c 'import sys; print(sys.version.split()[0])')"; \
	    for name in $$($$py -m ombrix.iterators --list | cut -d' ' -f1); do \
	        printf '%-8s' $$name; $$py -m ombrix.iterators $$name -n 5 | tr '\n' ' '; echo; \
	    done; \
	done

# The long hostile-input runs: a million checked calls per interpreter,
# atheris on Python 3, and many more hypothesis examples.
fuzz: build
	@for py in $(PYTHONS); do $$py scripts/fuzz.py 1000000 || exit 1; done
	@mkdir -p build
	$(PY3) scripts/atheris_fuzz.py -runs=200000 -max_len=1024 > build/atheris.log 2>&1 || \
	    { tail -n 40 build/atheris.log; exit 1; }
	@grep -E 'atheris:|Done' build/atheris.log | tail -n 2
	@for py in $(PYTHONS); do \
	    OMBRIX_FUZZ_EXAMPLES=1000 $$py -m pytest -p no:cacheprovider -q tests/test_fuzz.py || exit 1; \
	done

# Reference counts on the debug interpreters: every operation 5000 times,
# then the whole suite there.
leaks: build
	@for py in $(DEBUG_PYTHONS); do \
	    OMBRIX_LEAK_REPEAT=5000 $$py -m pytest -p no:cacheprovider -q tests/test_refcounts.py || exit 1; \
	    $$py -m pytest -p no:cacheprovider -q -p no:warnings tests || exit 1; \
	done

# The whole suite, with a longer fuzz, under ASan + UBSan on both
# interpreters and under valgrind on Python 3.
sanitize: build
	OMBRIX_FUZZ_EXAMPLES=200 scripts/sanitize.sh $(PYTHONS) -- -p no:warnings
	scripts/valgrind.sh $(PY3) tests

# Per-value costs, every figure from one run: the engines alone (C++),
# jumps, the bulk kernels next to memset, the raw command line, each type
# from Python next to the floor, getrandbits, plain Python and numpy's bit
# generators, and the bulk path. Writes docs/benchmarks.md.
bench: build
	@mkdir -p build/bench
	$(CXX) -std=c++20 -O2 -Wall -Wextra -Werror -Iinclude bench/bench_engines.cpp -o build/bench_engines -lbenchmark -pthread
	build/bench_engines --benchmark_min_time=0.2 --benchmark_format=json --benchmark_out=build/bench/engines.json > /dev/null
	$(CXX) -std=c++20 -O2 -Wall -Wextra -Werror -Iinclude bench/bench_jump.cpp -o build/bench_jump -lbenchmark -pthread
	build/bench_jump --benchmark_min_time=0.2 --benchmark_format=json --benchmark_out=build/bench/jumps.json > /dev/null
	$(CXX) -std=c++20 -O2 -Wall -Wextra -Werror -Iinclude bench/bench_bulk.cpp -o build/bench_bulk -lbenchmark -pthread
	build/bench_bulk --benchmark_min_time=0.2 --benchmark_format=json --benchmark_out=build/bench/bulk.json > /dev/null
	$(PY3) bench/bench_cli.py -o build/bench/cli.json $(PYTHONS)
	@for py in $(PYTHONS); do \
	    name=$$(basename $$py); \
	    (cd bench && $$py setup_floor.py -q build_ext --build-lib ../build/bench/$$name --build-temp ../build/bench/tmp-$$name) || exit 1; \
	    rm -f build/bench/$$name.json; \
	    $$py bench/bench_python.py --fast --processes 6 --quiet -o build/bench/$$name.json || exit 1; \
	done
	$(PY3) bench/report.py build/bench/engines.json build/bench/jumps.json build/bench/bulk.json build/bench/cli.json $(foreach py,$(PYTHONS),build/bench/$(notdir $(py)).json) > docs/benchmarks.md
	@grep -E '^Worst' docs/benchmarks.md

# A few quick dieharder tests on every generator, fed by the raw stream.
dieharder: build
	@mkdir -p docs
	@{ echo "# dieharder: a few quick tests on every generator"; echo; \
	   echo "Made by \`make dieharder\` on $$(date -u +%Y-%m-%d): \`python3 -m ombrix.iterators NAME --format raw | dieharder -g 200 -d TEST -p PSAMPLES\`,"; \
	   echo "with the default seeds. A single run per cell: an occasional WEAK is chance; a FAILED with p near 0 is not."; \
	   echo; scripts/dieharder.sh $(PY3); } > docs/dieharder.md
	@cat docs/dieharder.md

format:
	clang-format -i include/ombrix/*.hpp src/*/*.[ch]pp tests/cpp/*.cpp bench/*.cpp

clean:
	rm -rf build ombrix/iterators/*.so
