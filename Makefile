# Set-up and everyday commands. Each installs what is missing first.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build run test model-test bench install package format clean

all: build

deps:
	@tools/install-deps

$(BUILD)/Makefile: CMakeLists.txt
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/Makefile
	cmake --build $(BUILD) -j$(JOBS)

# A newcomer's first run opens a demonstration database made beside the
# build; once a database is remembered, that one opens as usual.
DEMO ?= $(BUILD)/demo.gearlog
run: build
	@test -e $(DEMO) || $(BUILD)/app/admin/gearlog-admin sample $(DEMO) --assets 300
	$(BUILD)/app/gearlog --first-time $(DEMO)

test: build
	tools/with-postgres ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS) --timeout 600

# The shipment commands against their model for many steps, on both stores;
# a new seed each run unless SEED is given (a failure prints it and the steps).
STEPS ?= 5000
model-test: build
	tools/with-postgres env GEARLOG_MODEL_STEPS=$(STEPS) GEARLOG_MODEL_SEED=$${SEED:-$$(date +%s)} \
		$(BUILD)/tests/shipments/shipment_model_tests

# Installs under PREFIX (default /usr/local): programs, libraries with their
# headers and CMake packages, menu entry, file type and icons.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package in $(BUILD), to install with apt.
package: build
	cd $(BUILD) && cpack -G DEB

bench: deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DGEARLOG_TESTS=OFF -DGEARLOG_BENCH=ON
	cmake --build $(BUILD)-bench -j$(JOBS)
	$(BUILD)-bench/bench/data_bench
	$(BUILD)-bench/bench/photo_bench
	$(BUILD)-bench/bench/rtf_bench
	$(BUILD)-bench/bench/start_bench
	$(BUILD)-bench/bench/asset_bench
	$(BUILD)-bench/bench/shipment_bench
	$(BUILD)-bench/bench/report_bench
	$(BUILD)-bench/bench/large_bench
	tools/with-postgres $(BUILD)-bench/bench/import_bench
	tools/with-postgres $(BUILD)-bench/bench/server_photo_bench
	tools/with-postgres $(BUILD)-bench/bench/certificate_bench
	tools/with-postgres $(BUILD)-bench/bench/desks_bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD)-bench
