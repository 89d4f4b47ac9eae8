# Zorva / Velmo
#   make run    install what is missing, build, assemble build/app/ and start the program
#   make test   the same set-up, then every test, headless
#   make bench  the benchmarks
#   make bench-portfolio  a million enterprises across 20 industries compared, beside the Python reference
#   make fuzz   the statement translator under libFuzzer (FUZZ_SECONDS, default 60)
#   make fuzz-numbers  the number reading and key filter of the enterprise record, likewise
#   make two-copies  two copies on one user store at once, five rounds (ctest runs one)
#   make package     the Debian package $(BUILD)/zorva_<version>_<arch>.deb
#   make killed-saves  a copy saving enterprises killed 200 times (KILLS); nothing saved is lost (ctest kills 10)
#   make edition-2023  the illustrative 2021-2023 edition of the benchmarks, $(BUILD)/app/ZOR_DATA_2023.mdb, beside the shipped one
#   make office-load   20 zorva-cli clients on one PostgreSQL user store for 60 s, with kills and a server stopped at once (-m immediate) and restarted
#   make a11y-audit  every report saved as HTML in both languages, audited with axe-core in headless Chromium
#   make test-sanitize  the unit and system tests built with AddressSanitizer and UndefinedBehaviorSanitizer
#   make format-check    the layout of the lines changed since main (tools/format-check; the pre-commit hook:
#                        tools/format-check --install-hook)
#   make tidy            clang-tidy (.clang-tidy) on the sources of the program and its tools
#   make test-books  write the GnuCash books of the tests again (tests/support/books) with GnuCash's Python bindings

BUILD       ?= build
JOBS        ?= $(shell nproc)
FUZZ_BUILD  ?= build-fuzz
SANITIZE_BUILD ?= build-sanitize
FUZZ_SECONDS ?= 60
KILLS       ?= 200

.PHONY: all deps configure build run test test-sanitize format-check tidy bench bench-portfolio fuzz fuzz-numbers clean two-copies killed-saves package office-load test-books edition-2023 a11y-audit

all: build

deps:
	@tools/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS) -- --no-print-directory

run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY$$QT_QPA_PLATFORM" ]; then \
	  echo "zorva: no display available (set DISPLAY, or run under xvfb-run)"; exit 1; fi
	@$(BUILD)/app/zorva

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The unit and system tests (the screen tests aside) under AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer: the first fault fails its test.
test-sanitize: deps
	@cmake --preset sanitize -B $(SANITIZE_BUILD) >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j$(JOBS) -- --no-print-directory
	@cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tools/sanitize/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$(CURDIR)/tools/sanitize/ubsan.supp \
	  ctest --output-on-failure -j$(JOBS) -LE '^ui$$'

format-check:
	@tools/format-check main

tidy: configure
	@run-clang-tidy -p $(BUILD) -quiet '$(CURDIR)/(src|tools)/'

bench: build
	@set -e; for b in $(BUILD)/bench/bench_*; do \
	  [ -x "$$b" ] || continue; echo "== $$(basename $$b)"; \
	  QT_QPA_PLATFORM=offscreen "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

bench-portfolio: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ZORVA_BENCH_MILLION=1 bench/bench_compare \
	  --benchmark_filter=Million --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

two-copies: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ZORVA_TWO_COPIES_ROUNDS=5 tests/test_concurrency

killed-saves: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ZORVA_KILLED_SAVES=$(KILLS) tests/test_killedsaves

office-load: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen tests/test_concurrency --gtest_also_run_disabled_tests \
	  --gtest_filter='OfficeLoad.*'

package: build
	@cd $(BUILD) && cpack -G DEB >/dev/null && ls -1 $(CURDIR)/$(BUILD)/zorva_*.deb

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DZORVA_FUZZ=ON -DZORVA_TESTS=OFF -DZORVA_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_jetsql -- --no-print-directory
	@mkdir -p fuzz/corpus && cp -n fuzz/seeds/* fuzz/corpus/ 2>/dev/null || true
	@$(FUZZ_BUILD)/fuzz/fuzz_jetsql -max_total_time=$(FUZZ_SECONDS) fuzz/corpus

fuzz-numbers: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DZORVA_FUZZ=ON -DZORVA_TESTS=OFF -DZORVA_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_numbertext -- --no-print-directory
	@mkdir -p $(FUZZ_BUILD)/corpus-numbertext && cp -n fuzz/seeds-numbertext/* $(FUZZ_BUILD)/corpus-numbertext/ 2>/dev/null || true
	@$(FUZZ_BUILD)/fuzz/fuzz_numbertext -max_total_time=$(FUZZ_SECONDS) $(FUZZ_BUILD)/corpus-numbertext

# The store of the second edition from its source (data/editions/2023, made by
# tools/zorva-data/gen/generate.py --edition 2023); the shipped ZOR_DATA.mdb stays.
edition-2023: configure
	@cmake --build $(BUILD) -j$(JOBS) --target zorva_edition_2023 zorva zorva-cli -- --no-print-directory
	@echo "$(BUILD)/app/ZOR_DATA_2023.mdb: start it with $(BUILD)/app/zorva --industry-store $(BUILD)/app/ZOR_DATA_2023.mdb"

a11y-audit: build
	@tools/a11y-audit $(BUILD)

# Needs python3-gnucash, gnucash and libdbd-sqlite3 (a large desktop set, so
# not among the dependencies of the build): the books are committed.
test-books:
	@/usr/bin/python3 tools/make-test-books tests/support/books

clean:
	@rm -rf $(BUILD) $(FUZZ_BUILD)
