/* Loads a numkit plugin with dlopen into a program that does not link
 * numkit, and runs it on a thread that existed before the load, on the main
 * thread and on a thread started after it.  Usage: host PLUGIN.so */
#include <dlfcn.h>
#include <pthread.h>
#include <stdio.h>

typedef int (*RunFn)(long);

static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t loaded = PTHREAD_COND_INITIALIZER;
static RunFn run; /* set under lock once the plugin is loaded; null until then */
static int quit;  /* set under lock when the load failed */

static const long kRounds = 10000;

/* Waits for the plugin, then runs it; returns the result through *arg. */
static void* runWhenLoaded(void* arg) {
  int* result = arg;
  pthread_mutex_lock(&lock);
  while (run == NULL && !quit) pthread_cond_wait(&loaded, &lock);
  RunFn f = run;
  pthread_mutex_unlock(&lock);
  *result = f != NULL ? f(kRounds) : -1;
  return NULL;
}

static int report(const char* where, int result) {
  if (result != 0) fprintf(stderr, "plugin failed on the %s: %d\n", where, result);
  return result != 0;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s PLUGIN.so\n", argv[0]);
    return 2;
  }
  int early = -1, late = -1;
  pthread_t earlyThread, lateThread;
  if (pthread_create(&earlyThread, NULL, runWhenLoaded, &early) != 0) return 2;

  void* plugin = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  RunFn f = plugin != NULL ? (RunFn)dlsym(plugin, "numkit_plugin_run") : NULL;
  pthread_mutex_lock(&lock);
  run = f;
  quit = f == NULL;
  pthread_cond_broadcast(&loaded);
  pthread_mutex_unlock(&lock);
  if (f == NULL) {
    fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
    pthread_join(earlyThread, NULL);
    return 1;
  }

  int failed = report("main thread", f(kRounds));
  if (pthread_create(&lateThread, NULL, runWhenLoaded, &late) != 0) return 2;
  pthread_join(earlyThread, NULL);
  pthread_join(lateThread, NULL);
  failed |= report("thread started before the load", early);
  failed |= report("thread started after the load", late);
  if (dlclose(plugin) != 0) {
    fprintf(stderr, "dlclose: %s\n", dlerror());
    failed = 1;
  }
  if (!failed) puts("plugin ok on three threads");
  return failed;
}
