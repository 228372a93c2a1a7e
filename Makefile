# The project's vocabulary: deps, build, test, demo.
PY2 ?= /usr/bin/python2.7
PY3 ?= python3
PYTHONS = $(PY2) $(PY3)

.PHONY: all deps build test demo clean

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

# Every test, on both interpreters.
test: build
	PY2=$(PY2) PY3=$(PY3) bash scripts/run-tests.sh

# The main job: a few values of every generator, from both interpreters.
demo: build
	@for py in $(PYTHONS); do \
	    echo "== $$($$py -c 'import sys; print(sys.version.split()[0])')"; \
	    for name in $$($$py -c 'import ombrix.iterators as m; print(" ".join(m.__all__))'); do \
	        printf '%-8s' $$name; $$py -m ombrix.iterators $$name -n 5 | tr '\n' ' '; echo; \
	    done; \
	done

clean:
	rm -rf build ombrix/iterators/*.so
