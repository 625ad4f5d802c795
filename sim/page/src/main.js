console.log('stub');
