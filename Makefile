# Set-up and everyday commands. `make run` and `make test` work on a fresh
# Debian machine: they install what is missing first.
JOBS        ?= $(shell nproc)
BUILD       ?= build
ASAN_BUILD  ?= build-asan
BENCH_BUILD ?= build-release
FUZZ_BUILD  ?= build-fuzz
FUZZ_SECONDS ?= 30
CMAKE_GEN   := -G Ninja

.PHONY: all deps build run test bench fuzz clean tsan

all: build

deps:
	@.ci/install-deps

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# Plays the bundled sample game (headless when there is no display).
run: build
	@$(BUILD)/bin/orrivel /L$(CURDIR)/$(BUILD)/sample-game

# Every new allocation is filled whole with a byte that is neither zero nor
# the sanitizer's usual one, so a test that reads memory nobody wrote fails
# here as it would in a build without the sanitizers.
TEST_ASAN_OPTIONS ?= detect_leaks=1:abort_on_error=1:max_malloc_fill_size=2147483647:malloc_fill_byte=90

test: deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	    -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DORRIVEL_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=$(TEST_ASAN_OPTIONS) \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest -j $(JOBS) --output-on-failure --timeout 300

bench: deps
	@cmake -S . -B $(BENCH_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DORRIVEL_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS) --target benchmarks
	@for b in $(BENCH_BUILD)/bin/bench_*; do echo "== $$b"; $$b $(BENCH_ARGS) || exit 1; done

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DORRIVEL_FUZZ=ON -DORRIVEL_TESTS=OFF -DORRIVEL_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	@for f in $(FUZZ_BUILD)/bin/fuzz_*; do \
	    [ -x "$$f" ] || continue; \
	    name=$${f##*/fuzz_}; \
	    mkdir -p $(FUZZ_BUILD)/corpus/$$name $(FUZZ_BUILD)/artifacts; \
	    [ -d fuzz/corpus/$$name ] && cp -n fuzz/corpus/$$name/* $(FUZZ_BUILD)/corpus/$$name/ 2>/dev/null; \
	    echo "== fuzz $$name ($(FUZZ_SECONDS) s)"; \
	    $$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
	        -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$name- $(FUZZ_BUILD)/corpus/$$name 2>$(FUZZ_BUILD)/fuzz-$$name.log \
	      || { tail -40 $(FUZZ_BUILD)/fuzz-$$name.log; exit 1; }; \
	done

# The thread tests, the preloader, the movie pipeline and the movie frame
# surface under ThreadSanitizer.
TSAN_BUILD  ?= build-tsan
TSAN_TESTS  ?= Preloader|BgAnimeTest|WorkerThread|Event|CriticalSection|ScopedLock|ComThread|JobHandle|Thread|SoundBuffer|SoundDevice|SdlAudio|PcmAudioSink|Movie|StreamSound|SoundSystem
tsan: deps
	@cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
	    -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
	    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" -DORRIVEL_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target test_base test_resource test_platform test_sound test_moviedll test_game test_display test_effect test_natives
	@cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	    ctest -j $(JOBS) --output-on-failure --timeout 300 -R '$(TSAN_TESTS)'

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
