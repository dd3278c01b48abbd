# make run    build and start the program (on a virtual display with a screenshot when there is none)
# make test   build everything and run the whole test suite
# make bench  build and run the benchmarks
# make windows  cross-build build-windows/dud.exe for 32-bit Windows (MinGW-w64)
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps build run test bench windows clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)/dud

test: build
	@scripts/test.sh $(BUILD)

bench: deps
	@cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DDUD_BENCH=ON -DDUD_TESTS=OFF >/dev/null
	@cmake --build $(BUILD)-bench -j $(JOBS)
	@scripts/bench.sh $(BUILD)-bench

windows:
	@JOBS=$(JOBS) scripts/build-windows.sh $(BUILD)-windows i686

clean:
	rm -rf $(BUILD) $(BUILD)-*
