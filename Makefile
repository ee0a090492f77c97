# Everything starts here: `make test` and `make demo` install what is missing,
# build both targets and run. BUILD may name another build folder.
BUILD ?= build
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?= -1

.PHONY: all deps configure build test demo fuzz bench mutants clean

all: build

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug

build: configure
	cmake --build $(BUILD) -j2

# The harness says loudly when the Windows tests run the x86_64 build.
test: build
	@tests/wine/harness.sh world >/dev/null
	cd $(BUILD) && ctest --output-on-failure -j2

demo: build
	./scripts/demo.sh $(BUILD)

bench: build
	./bench/run.sh $(BUILD)

fuzz: build
	./scripts/fuzz.sh $(BUILD) $(FUZZ_SECONDS) $(FUZZ_RUNS)

# Proves the tests bite: each fault of tests/mutants/mutants.txt must fail
# the suite. MUTANTS=ids runs only those; TREE=gitref measures that commit's
# suite against the same faults.
mutants: build
	tests/mutants/run.sh $(BUILD) $(if $(TREE),--tree $(TREE)) $(MUTANTS)

clean:
	rm -rf $(BUILD)
